#include "tests/gui/gui_environment.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include "app/ini_file.h"
#include "framework/skin_win.h"
#include "framework/window_host_win.h"
#include "platform/folders.h"
#include "platform/result.h"

namespace qv::gui_test {

namespace {

class GuiEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    runtime_ = new framework::UiRuntime();
    ASSERT_TRUE(runtime_->ok());
    ASSERT_EQ(framework::Skin::current().loadFromResource(GetModuleHandleW(nullptr), 101), kOk);
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

}  // namespace qv::gui_test
