#include "tests/gui/gui_environment.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include "app/ini_file.h"
#include "app/settings.h"
#include "framework/builder.h"
#include "framework/skin_win.h"
#include "framework/window_host_win.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "tests/gui/gui_driver.h"
#include "ui/custom_controls.h"

namespace qv::gui_test {

namespace {

class GuiEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    runtime_ = new framework::UiRuntime();
    ASSERT_TRUE(runtime_->ok());
    ASSERT_EQ(framework::Skin::current().loadFromResource(GetModuleHandleW(nullptr), 101), kOk);
    // As the program does at start-up: every window makes the program's own controls.
    framework::installControlFactory(&ui::createCustomControl);
  }
  void TearDown() override {
    delete runtime_;
    OleUninitialize();
  }

 private:
  framework::UiRuntime* runtime_ = nullptr;
};

const testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace

Section languageSection(const std::string& language, const std::wstring& section) {
  Section out;
  app::IniDocument doc;
  if (app::readIniFile(platform::joinPath(QV_SOURCE_DIR, "Languages/" + language + ".ini"), &doc) !=
      kOk) {
    return out;
  }
  if (const app::IniSection* s = doc.section(section)) {
    for (const app::IniEntry& e : s->entries) out.emplace(e.key, e.text);
  }
  return out;
}

std::string dpiPercent(int dpi) {
  return std::to_string(dpi * 100 / 96);
}

std::string settingsCopyFolder(const std::string& language) {
  return platform::joinPath(outputFolder(), "settings-" + language);
}

void useLanguage(const std::string& language) {
  std::string folder = settingsCopyFolder(language);
  platform::createFolders(platform::joinPath(folder, "Languages"));
  for (const char* lang : {"English", "SimplifiedChinese"}) {
    std::string rel = std::string("Languages/") + lang + ".ini";
    std::string bytes;
    ASSERT_EQ(platform::readWholeFile(platform::joinPath(QV_SOURCE_DIR, rel), 4u << 20, &bytes),
              kOk);
    ASSERT_EQ(platform::writeWholeFile(platform::joinPath(folder, rel), bytes.data(), bytes.size()),
              kOk);
  }
  std::string config = "[DefaultLanguage]\r\nDefault=" + language +
                       "\r\n\r\n[Languages]\r\nEnglish=English\r\n"
                       "SimplifiedChinese=\xE7\xAE\x80\xE4\xBD\x93\xE4\xB8\xAD\xE6\x96\x87\r\n";
  ASSERT_EQ(platform::writeWholeFile(platform::joinPath(folder, "config.ini"), config.data(),
                                     config.size()),
            kOk);
  app::Settings::loadFrom(folder);
}

}  // namespace qv::gui_test
