// Helpers shared by the controls' attribute setters and interface queries.
#pragma once

#include <string_view>

#include "framework/control.h"
#include "platform/ascii.h"

namespace qv::framework {

// Attribute, element and interface names: ASCII, compared without case.
inline bool sameName(std::string_view a, std::string_view b) {
  return platform::equalsNoCase(a, b);
}

inline AttributeResult parsedAs(bool ok) {
  return ok ? AttributeResult::kApplied : AttributeResult::kMalformed;
}

}  // namespace qv::framework
