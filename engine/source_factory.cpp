#include "engine/source_factory.h"

#include "engine/device_recovery.h"
#include "engine/local_recovery.h"

namespace qv::engine {

std::unique_ptr<IPhoneRecoveryParse> createSource(SourceKind kind, void* context) {
  std::unique_ptr<IPhoneRecoveryParse> source;
  switch (kind) {
    case SourceKind::kLocalBackup:
      source = std::make_unique<CLocalBuckupRecovery>();
      break;
    case SourceKind::kDevice:
      source = std::make_unique<CDeviceRecovery>();
      break;
    default:
      return nullptr;
  }
  source->attach(context);
  return source;
}

}  // namespace qv::engine
