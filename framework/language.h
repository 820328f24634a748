// Applying a language section to a window: every key names a control, whose text becomes the
// value. Keys that name no control are skipped. Disabled controls take their texts as well (the
// text is stored whatever the state; the backend mirrors it into native windows).
#pragma once

#include <map>
#include <set>
#include <string>

#include "framework/control.h"

namespace qv::framework {

// Returns how many controls took a text. Names in `except` are left alone (the scan page keeps
// its statistics label out of the language refresh).
int applyLanguage(Control& root, const std::map<std::wstring, std::wstring>& section,
                  const std::set<std::wstring>& except = {});

}  // namespace qv::framework
