#include "framework/language.h"

namespace qv::framework {

int applyLanguage(Control& root, const std::map<std::wstring, std::wstring>& section,
                  const std::set<std::wstring>& except) {
  int applied = 0;
  for (const auto& [key, text] : section) {
    if (key.empty() || except.count(key)) continue;
    Control* c = root.find(key);
    if (!c) continue;
    c->setText(text);
    ++applied;
  }
  return applied;
}

}  // namespace qv::framework
