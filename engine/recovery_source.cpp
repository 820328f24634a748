#include "engine/recovery_source.h"

#include "engine/device_recovery.h"
#include "engine/local_recovery.h"

namespace qv::engine {

IPhoneRecoveryParse::~IPhoneRecoveryParse() = default;

std::unique_ptr<IPhoneRecoveryParse> createSource(int kind, void* context) {
  std::unique_ptr<IPhoneRecoveryParse> source;
  if (kind == static_cast<int>(SourceKind::kLocalBackup)) {
    source = std::make_unique<CLocalBuckupRecovery>();
  } else if (kind == static_cast<int>(SourceKind::kDevice)) {
    source = std::make_unique<CDeviceRecovery>();
  } else {
    return nullptr;
  }
  source->attach(context);
  return source;
}

}  // namespace qv::engine
