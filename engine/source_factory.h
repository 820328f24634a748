// The factory of recovery sources: the scan page asks for a source of a kind (the start
// message carries it as a number, 1 a local backup, 0 a device) and owns what it gets.
#pragma once

#include <memory>

#include "engine/recovery_source.h"

namespace qv::engine {

enum class SourceKind : int { kDevice = 0, kLocalBackup = 1 };

// Makes a source of the kind and attaches it to the context: the RecoveryEngine for a local
// backup, the device context for a device. Null for a value that names no kind (a kind taken
// from a message number may be anything).
std::unique_ptr<IPhoneRecoveryParse> createSource(SourceKind kind, void* context);

}  // namespace qv::engine
