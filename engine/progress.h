// The callbacks through which a recovery source reports how far it got. They are plain functions
// with a user value, so a window procedure's page or a C caller can take them as well as the
// CLI; QV_CALLBACK (platform/callback.h) is their calling convention.
//
// Every answer means the same: 0 to go on, anything else to stop (the scan page answers 2 when
// the user cancelled), and the stopping answer becomes the operation's result.
#pragma once

#include "platform/callback.h"

namespace qv::engine {

// Scan progress: the user value and the progress reached, 0 to 100.
using ProgressCallback = int(QV_CALLBACK*)(void* user, int progress);

// Preview copies: the user value and the percent copied.
using PreviewCallback = int(QV_CALLBACK*)(void* user, int percent);

// Copies and text exports: the user value, the percent done (100: this destination is
// finished), the result so far (0, or the code that ended the copy) and the destination path.
using CopyCallback = int(QV_CALLBACK*)(void* user, int percent, int code,
                                       const wchar_t* destination);

}  // namespace qv::engine
