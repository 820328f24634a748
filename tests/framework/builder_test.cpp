#include <gtest/gtest.h>

#include "framework/builder.h"
#include "framework/container.h"
#include "framework/controls.h"
#include "framework/language.h"
#include "framework/list.h"
#include "framework/menu.h"
#include "framework/window.h"
#include "framework/zip_archive.h"
#include "platform/result.h"
#include "tests/framework/test_support.h"

namespace qv::framework {
namespace {

const char* kMain = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="1000,650" mininfo="1000,665" caption="0,0,0,90" sizebox="4,4,4,4" roundcorner="5,5"
        defaultfontcolor="#FF333333">
  <Font id="0" name="Segoe UI" size="12" default="true"/>
  <Font id="1" name="Segoe UI" size="16" bold="true"/>
  <Default name="Button" value="textcolor=&quot;#FF2D7FF9&quot; height=&quot;32&quot;"/>
  <Style name="EditBlue" value="bordercolor='#FF2D7FF9' bordersize='1'"/>
  <VerticalLayout name="root">
    <Button name="BtnA" text="A" height="40"/>
    <Button name="BtnB" text="B"/>
    <Edit name="EditPassword" style="EditBlue" password="true" maxchar="256"/>
    <TabLayout name="MainTabPage">
      <Include source="xml/page.xml"/>
      <Control/>
    </TabLayout>
    <Gadget name="Custom"/>
    <List name="BackupFileList">
      <ListHeader height="30">
        <ListHeaderItem name="BackupListHeader1" text="Name" width="220"/>
        <ListHeaderItem name="BackupListHeader2" text="Last Backup Date" width="270"/>
      </ListHeader>
    </List>
  </VerticalLayout>
</Window>)";

const char* kPage = R"(<Window><Font id="7" name="Ignored"/>
  <HorizontalLayout name="PageRoot" virtualwnd="ItunesVtrWnd">
    <Label name="ItunesBackupDesc1" text="Choose" font="1"/>
  </HorizontalLayout></Window>)";

class Gadget : public Label {
 public:
  Gadget() : Label("Gadget") {}
};

class BuilderTest : public testing::Test {
 protected:
  void load(const std::vector<test::ZipEntrySpec>& files) {
    ASSERT_EQ(archive.open(test::makeZip(files)), kOk);
  }
  std::string diagnostics(const LayoutBuilder& b) {
    std::string out;
    for (const LayoutDiagnostic& d : b.diagnostics()) {
      out += d.file + ":" + std::to_string(d.line) + ": " + d.what + "\n";
    }
    return out;
  }
  ZipArchive archive;
  Window window;
};

TEST_F(BuilderTest, BuildsAWindowWithResourcesIncludesAndTheFactoryHook) {
  load({{"xml/skin.xml", kMain}, {"xml/page.xml", kPage}});
  LayoutBuilder b(archive);
  std::vector<std::string> asked;
  b.setFactory([&](std::string_view name) -> ControlPtr {
    asked.emplace_back(name);
    if (name == "Gadget") return std::make_unique<Gadget>();
    return nullptr;
  });
  ASSERT_EQ(b.buildWindow("xml\\skin.xml", window), kOk);
  EXPECT_EQ(diagnostics(b), "");
  EXPECT_EQ(asked, std::vector<std::string>{"Gadget"});

  const WindowInfo& info = window.info();
  EXPECT_EQ(info.size, (Size{1000, 650}));
  EXPECT_EQ(info.minSize, (Size{1000, 665}));
  EXPECT_EQ(info.caption, (Rect{0, 0, 0, 90}));
  EXPECT_EQ(info.sizeBox, (Edges{4, 4, 4, 4}));
  EXPECT_EQ(info.defaultTextColor, 0xFF333333u);
  EXPECT_EQ(window.font(-1).size, 12);
  EXPECT_EQ(window.font(1).size, 16);
  EXPECT_TRUE(window.font(1).bold);
  EXPECT_NE(window.font(7).face, L"Ignored");  // an included page's fonts are not the window's

  auto* a = window.findAs<Button>(L"BtnA");
  auto* bb = window.findAs<Button>(L"BtnB");
  ASSERT_TRUE(a && bb);
  EXPECT_EQ(a->textColor(), 0xFF2D7FF9u);  // from the Default
  EXPECT_EQ(a->fixedHeight(), 40);         // own attribute beats the Default
  EXPECT_EQ(bb->fixedHeight(), 32);
  auto* edit = window.findAs<Edit>(L"EditPassword");
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(edit->password());
  EXPECT_EQ(edit->maxChars(), 256);
  EXPECT_EQ(edit->borderColor(), 0xFF2D7FF9u);  // from the Style

  Control* desc = window.find(L"ItunesBackupDesc1");
  ASSERT_NE(desc, nullptr);
  EXPECT_EQ(desc->virtualWnd(), L"ItunesVtrWnd");
  EXPECT_TRUE(window.find(L"PageRoot")->visible());  // tab page 0
  EXPECT_NE(window.find(L"Custom"), nullptr);
  EXPECT_TRUE(window.find(L"Custom")->isA("label"));
  EXPECT_EQ(window.find(L"Custom")->className(), "GadgetUI");

  auto* list = window.findAs<List>(L"BackupFileList");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->header()->childCount(), 2u);
  EXPECT_EQ(list->elementCount(), 0u);
}

// A builder starts with the installed factory, so windows that know nothing of the program's
// controls still make them; a factory of its own takes precedence.
TEST_F(BuilderTest, StartsWithTheInstalledFactory) {
  load({{"xml/skin.xml", kMain}, {"xml/page.xml", kPage}});
  installControlFactory([](std::string_view name) -> ControlPtr {
    return name == "Gadget" ? std::make_unique<Gadget>() : nullptr;
  });
  {
    LayoutBuilder b(archive);
    ASSERT_EQ(b.buildWindow("xml/skin.xml", window), kOk);
    EXPECT_EQ(diagnostics(b), "");
    ASSERT_NE(window.find(L"Custom"), nullptr);
    EXPECT_EQ(window.find(L"Custom")->className(), "GadgetUI");
  }
  {
    Window other;
    LayoutBuilder b(archive);
    b.setFactory([](std::string_view) -> ControlPtr { return nullptr; });
    ASSERT_EQ(b.buildWindow("xml/skin.xml", other), kOk);
    EXPECT_EQ(other.find(L"Custom"), nullptr);
  }
  installControlFactory({});
  Window plain;
  LayoutBuilder b(archive);
  ASSERT_EQ(b.buildWindow("xml/skin.xml", plain), kOk);
  EXPECT_EQ(plain.find(L"Custom"), nullptr);
  EXPECT_NE(diagnostics(b).find("unknown element <Gadget>"), std::string::npos);
}

TEST_F(BuilderTest, ReportsEveryFaultWithFileAndLine) {
  const char* bad = R"(<Window size="10,x" bogus="1">
<VerticalLayout>
  <Button name="Twice" widht="10"/>
  <Button name="Twice" height="-3"/>
  <Nothing name="Skipped"><Button name="Inner"/></Nothing>
  <Label style="NoSuchStyle"/>
  <Label><Button/></Label>
  <Include source="xml/missing.xml"/>
</VerticalLayout>
<Label name="SecondRoot"/>
</Window>)";
  load({{"xml/bad.xml", bad}});
  LayoutBuilder b(archive);
  ASSERT_EQ(b.buildWindow("xml/bad.xml", window), kOk);
  std::string d = diagnostics(b);
  for (const char* expected :
       {"xml/bad.xml:1: <Window> size is malformed",
        "xml/bad.xml:1: <Window> has no attribute \"bogus\"",
        "xml/bad.xml:3: <Button> has no attribute \"widht\"",
        "xml/bad.xml:4: <Button> height=\"-3\" is malformed",
        "xml/bad.xml:4: name \"Twice\" already used on line 3",
        "xml/bad.xml:5: unknown element <Nothing>", "xml/bad.xml:6: unknown style \"NoSuchStyle\"",
        "xml/bad.xml:7: <Label> cannot hold <Button>", "xml/missing.xml:0: cannot read",
        "xml/bad.xml:10: a window has one root control"}) {
    EXPECT_NE(d.find(expected), std::string::npos) << expected << "\n" << d;
  }
  EXPECT_EQ(window.find(L"Skipped"), nullptr);
  EXPECT_EQ(window.find(L"Inner"), nullptr);
  EXPECT_EQ(window.find(L"SecondRoot"), nullptr);
}

TEST_F(BuilderTest, IncludesThatLoopStopAtTheDepthCap) {
  load({{"xml/a.xml",
         "<Window><VerticalLayout><Include source='xml/a.xml'/></VerticalLayout></Window>"}});
  LayoutBuilder b(archive);
  ASSERT_EQ(b.buildWindow("xml/a.xml", window), kOk);
  EXPECT_NE(diagnostics(b).find("includes nested too deeply"), std::string::npos);
}

TEST_F(BuilderTest, MalformedOrMissingLayoutsGiveCodes) {
  load({{"xml/broken.xml", "<Window><Label></Window>"}, {"xml/frag.xml", "<Label name='x'/>"}});
  LayoutBuilder b(archive);
  EXPECT_EQ(b.buildWindow("xml/broken.xml", window), kInvalid);
  EXPECT_EQ(b.buildWindow("xml/none.xml", window), kErrFileNotFound);
  EXPECT_EQ(b.buildWindow("xml/frag.xml", window), kInvalid);  // not a window
  int rc = -1;
  ControlPtr frag = b.buildControl("xml/frag.xml", &rc);
  EXPECT_EQ(rc, kOk);
  ASSERT_NE(frag, nullptr);
  EXPECT_EQ(frag->name(), L"x");
}

TEST(AttributeListTest, SplitsQuotedPairs) {
  std::vector<std::pair<std::string, std::wstring>> out;
  ASSERT_TRUE(parseAttributeList(L" a=\"1 2\" b='x\"y'\n c = \"\" ", &out));
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].second, L"1 2");
  EXPECT_EQ(out[1].second, L"x\"y");
  EXPECT_EQ(out[2].first, "c");
  for (const wchar_t* bad : {L"a=1", L"a='1", L"='1'", L"a", L"\x4E2D='1'"}) {
    EXPECT_FALSE(parseAttributeList(bad, &out)) << bad;
  }
}

TEST_F(BuilderTest, LanguageTextsReachDisabledControlsAndSkipUnknownKeys) {
  load({{"xml/skin.xml", kMain}, {"xml/page.xml", kPage}});
  LayoutBuilder b(archive);
  ASSERT_EQ(b.buildWindow("xml/skin.xml", window), kOk);
  window.find(L"BtnB")->setEnabled(false);
  std::map<std::wstring, std::wstring> section{{L"BtnA", L"\x4E0B\x4E00\x6B65"},
                                               {L"BtnB", L"Disabled text"},
                                               {L"BackupListHeader1", L"\x540D\x79F0"},
                                               {L"NoSuchControl", L"x"},
                                               {L"ItunesBackupDesc1", L"kept"}};
  EXPECT_EQ(applyLanguage(*window.root(), section, {L"ItunesBackupDesc1"}), 3);
  EXPECT_EQ(window.find(L"BtnA")->text(), L"\x4E0B\x4E00\x6B65");
  EXPECT_EQ(window.find(L"BtnB")->text(), L"Disabled text");
  EXPECT_FALSE(window.find(L"BtnB")->enabled());
  EXPECT_EQ(window.find(L"BackupListHeader1")->text(), L"\x540D\x79F0");
  EXPECT_EQ(window.find(L"ItunesBackupDesc1")->text(), L"Choose");
}

TEST_F(BuilderTest, MenuElementsNestAsSubMenus) {
  load({{"xml/menu.xml", R"(<Window><Menu name="menu_assist">
    <MenuElement name="item_help" text="Help" height="30"/>
    <MenuElement name="item_language" text="Language" visible="false" height="30">
      <MenuElement name="English" text="English"/>
      <Label name="mark" float="true" pos="0,4,16,20"/>
    </MenuElement></Menu></Window>)"}});
  LayoutBuilder b(archive);
  ControlPtr menu = b.buildControl("xml/menu.xml");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(diagnostics(b), "");
  auto* lang = dynamic_cast<MenuElement*>(menu->find(L"item_language"));
  ASSERT_NE(lang, nullptr);
  EXPECT_EQ(lang->subItemCount(), 1u);
  EXPECT_EQ(lang->childCount(), 1u);           // the label is shown in the row
  EXPECT_EQ(menu->find(L"English"), nullptr);  // sub-items are not part of the row
}

}  // namespace
}  // namespace qv::framework
