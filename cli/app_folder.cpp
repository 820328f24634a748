#include "cli/app_folder.h"

#include "app/settings.h"
#include "engine/folder_of.h"
#include "export/doc_template.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"

namespace qv::cli {

std::string languageFolder() {
  std::string folder;
  if (platform::programFolder(&folder) == kOk &&
      platform::isFile(platform::joinPath(folder, "config.ini"))) {
    return folder;
  }
  // This file lies in cli/ at the top of the source tree.
  folder = engine::folderOf(engine::folderOf(__FILE__));
  if (!folder.empty() && platform::isFile(platform::joinPath(folder, "config.ini"))) return folder;
  return {};
}

void loadLanguages() {
  const std::string folder = languageFolder();
  if (!folder.empty()) app::Settings::loadFrom(folder);
}

std::string templateHome() {
  const std::string home = languageFolder();
  if (!home.empty() && platform::isFolder(output::templateFolder(home))) return home;
  std::string program;
  if (platform::programFolder(&program) == kOk) return program;
  return home;
}

}  // namespace qv::cli
