#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/windows/controls.h"
#include "platform/windows/nib.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/windowing_fixture.h"

namespace {

using namespace tbx;
using stravel::testing::WindowingTest;

const char* kTestNib = R"(<?xml version="1.0" encoding="UTF-8"?>
<nib>
  <window name="IDD_TEST" class="movable-modal" left="100" top="120" width="300" height="200"
          titleId="500" closeBox="true">
    <control kind="push" signature="ok  " number="60" command="ok  " left="200" top="160"
             width="80" height="20" titleId="10026"/>
    <control kind="check" signature="cAll" number="60" left="20" top="160" width="80"
             height="18" title="All" value="1"/>
    <control kind="tabs" signature="tTab" number="60" left="10" top="10" width="280"
             height="140">
      <tab title="One"/>
      <tab title="Two"/>
      <control kind="pane" number="2001" left="20" top="40" width="260" height="100">
        <control kind="text" signature="sMsg" number="2001" left="5" top="5" width="100"
                 height="16" title="Hello"/>
      </control>
      <control kind="pane" number="2002" left="20" top="40" width="260" height="100"
               visible="false"/>
    </control>
    <control kind="slider" signature="sQty" number="60" left="10" top="180" width="100"
             height="16" min="1" max="10" value="5"/>
  </window>
  <menu id="3000" name="Popup">
    <item title="A" command="aaaa"/>
    <separator/>
    <item title="Sub">
      <menu id="3001" title="Sub">
        <item title="Deep" command="deep" key="D" modifiers="1"/>
      </menu>
    </item>
  </menu>
</nib>
)";

const char* kStrings = "\"500\" = \"Test Window\";\n\"10026\" = \"OK\";\n";

class NibTest : public WindowingTest {
protected:
    NibTest() : bundle(kStrings) {}
    IBNibRef Open(const std::string& xml) {
        bundle.AddResource("nibs/test.xml", xml);
        IBNibRef nib = nullptr;
        status = CreateNibReference(CFSTR("test"), &nib);
        return nib;
    }
    stravel::testing::ScratchBundle bundle;
    OSStatus status = noErr;
};

TEST_F(NibTest, BuildsTheWindowWithItsControlsIdsTitlesAndEmbedding) {
    IBNibRef nib = Open(kTestNib);
    ASSERT_EQ(status, noErr) << test::LastNibError();
    WindowRef window = nullptr;
    ASSERT_EQ(CreateWindowFromNib(nib, CFSTR("IDD_TEST"), &window), noErr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(test::NameOf(window), "IDD_TEST");
    WindowClass windowClass = 0;
    GetWindowClass(window, &windowClass);
    EXPECT_EQ(windowClass, kMovableModalWindowClass);
    WindowAttributes attributes = 0;
    GetWindowAttributes(window, &attributes);
    EXPECT_TRUE(attributes & kWindowCloseBoxAttribute);
    EXPECT_TRUE(attributes & kWindowStandardHandlerAttribute);
    CFStringRef title = nullptr;
    CopyWindowTitleAsCFString(window, &title);
    EXPECT_EQ(title->Text(), u"Test Window");
    CFRelease(title);
    Rect content;
    GetWindowBounds(window, kWindowContentRgn, &content);
    EXPECT_EQ(content, (Rect{120, 100, 320, 400}));

    test::ControlState state;
    ASSERT_TRUE(test::ReadControl(test::FindControl(window, FourCC("ok  "), 60), state));
    EXPECT_EQ(state.kind, "push");
    EXPECT_EQ(state.title, u"OK");
    EXPECT_EQ(state.command, FourCC("ok  "));
    ASSERT_TRUE(test::ReadControl(test::FindControl(window, FourCC("cAll"), 60), state));
    EXPECT_EQ(state.value, 1);
    ASSERT_TRUE(test::ReadControl(test::FindControl(window, FourCC("sQty"), 60), state));
    EXPECT_EQ(state.minimum, 1);
    EXPECT_EQ(state.maximum, 10);
    EXPECT_EQ(state.value, 5);
    ControlRef tabs = test::FindControl(window, FourCC("tTab"), 60);
    ASSERT_TRUE(test::ReadControl(tabs, state));
    EXPECT_EQ(state.maximum, 2);
    EXPECT_EQ(state.value, 1);
    ControlRef pane = test::FindControl(window, 0, 2001);
    ASSERT_TRUE(test::ReadControl(pane, state));
    EXPECT_EQ(state.parent, tabs);
    ASSERT_TRUE(test::ReadControl(test::FindControl(window, FourCC("sMsg"), 2001), state));
    EXPECT_EQ(state.parent, pane);
    EXPECT_EQ(state.text, u"Hello");
    ASSERT_TRUE(test::ReadControl(test::FindControl(window, 0, 2002), state));
    EXPECT_FALSE(state.visible);

    // A click on the second tab selects it, once the window shows.
    EXPECT_FALSE(test::Click(window, Point{20, 200}));
    ShowWindow(window);
    EXPECT_TRUE(test::Click(window, Point{20, 200}));
    EXPECT_EQ(GetControl32BitValue(tabs), 2);

    EXPECT_EQ(CreateWindowFromNib(nib, CFSTR("IDD_NONE"), &window), kIBCarbonRuntimeCantFindObject);

    const nib::Document* document = nib::GetDocument(nib);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(document->menus.size(), 1u);
    const nib::MenuDef& menu = document->menus[0];
    EXPECT_EQ(menu.items.size(), 3u);
    EXPECT_TRUE(menu.items[1].separator);
    ASSERT_TRUE(menu.items[2].submenu);
    EXPECT_EQ(menu.items[2].submenu->items[0].command, FourCC("deep"));
    EXPECT_EQ(menu.items[2].submenu->items[0].key, u'D');
    DisposeNibReference(nib);
    EXPECT_EQ(nib::GetDocument(nib), nullptr);
    EXPECT_EQ(CreateWindowFromNib(nib, CFSTR("IDD_TEST"), &window), paramErr);
}

TEST_F(NibTest, RefusesBrokenNibsWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"<nib><window name='W' left='0' top='0' width='10' height='10'>"
         "<control kind='push' signature='ok  ' number='1' left='0' top='0' width='1' "
         "height='1'/><control kind='check' signature='ok  ' number='1' left='0' top='0' "
         "width='1' height='1'/></window></nib>",
         "share the id"},
        {"<nib><window name='W' left='0' top='0' width='10' height='10'>"
         "<control kind='knob' left='0' top='0' width='1' height='1'/></window></nib>",
         "unknown control kind"},
        {"<nib><window name='W' left='0' top='0' width='10' height='10'>"
         "<control kind='push' signature='ok' left='0' top='0' width='1' height='1'/>"
         "</window></nib>",
         "four characters"},
        {"<nib><window name='W' left='0' top='0' width='10' height='10'/>"
         "<window name='W' left='0' top='0' width='10' height='10'/></nib>",
         "two windows"},
        {"<nib><menu id='5'/><menubar name='B'><menu id='5'/></menubar></nib>", "two menus"},
        {"<nib><window name='W' left='0' top='0' width='-1' height='10'/></nib>", "range"},
        {"<nib><window name='W' left='0' top='0' height='10'/></nib>", "missing"},
        {"<!DOCTYPE nib [<!ENTITY x SYSTEM 'file:///etc/passwd'>]><nib>&x;</nib>", "document type"},
        {"<nib><window", "well-formed"},
        {"<other/>", "root element"},
    };
    for (auto [xml, reason] : cases) {
        Open(xml);
        EXPECT_EQ(status, kIBCarbonRuntimeCantFindNibFile) << xml;
        EXPECT_NE(test::LastNibError().find(reason), std::string::npos)
            << xml << " -> " << test::LastNibError();
    }
    std::string deep = "<nib><window name='W' left='0' top='0' width='9' height='9'>";
    for (int i = 0; i < 40; ++i)
        deep += "<control kind='pane' left='0' top='0' width='1' height='1'>";
    for (int i = 0; i < 40; ++i)
        deep += "</control>";
    deep += "</window></nib>";
    Open(deep);
    EXPECT_EQ(status, kIBCarbonRuntimeCantFindNibFile);
    EXPECT_NE(test::LastNibError().find("deeply"), std::string::npos);

    IBNibRef nib = nullptr;
    EXPECT_EQ(CreateNibReference(CFSTR("../escape"), &nib), kIBCarbonRuntimeCantFindNibFile);
    EXPECT_EQ(CreateNibReference(CFSTR("absent"), &nib), kIBCarbonRuntimeCantFindNibFile);
}

// The schema and the loader agree: every nib the application ships and the test nib pass
// xmllint's RELAX NG check.
TEST(NibSchemaTest, EveryNibPassesTheSchema) {
    STRAVEL_REQUIRE_TOOL("xmllint");
    const char* bundleEnv = std::getenv("STRAVEL_BUNDLE");
    ASSERT_NE(bundleEnv, nullptr);
    const std::filesystem::path nibs =
        std::filesystem::path(bundleEnv) / "Contents" / "Resources" / "nibs";
    const std::string schema = (nibs / "nib.rng").string();
    ASSERT_TRUE(std::filesystem::exists(schema));
    stravel::testing::TempDir dir;
    stravel::testing::WriteFileBytes(dir / "test.xml", kTestNib);
    std::vector<std::string> files{(dir / "test.xml").string()};
    for (const auto& entry : std::filesystem::directory_iterator(nibs))
        if (entry.path().extension() == ".xml")
            files.push_back(entry.path().string());
    ASSERT_GE(files.size(), 2u);
    for (const std::string& file : files) {
        auto result = stravel::testing::RunTool({"xmllint", "--noout", "--relaxng", schema, file});
        EXPECT_EQ(result.exitCode, 0) << file << "\n" << result.err;
        // And our own loader takes it.
        nib::Document document;
        std::string error;
        EXPECT_TRUE(nib::Parse(stravel::testing::ReadFileBytes(file), document, error))
            << file << ": " << error;
    }
    // A nib the schema refuses for its kind is refused by xmllint too.
    stravel::testing::WriteFileBytes(dir / "bad.xml",
                                     "<nib><window name='W' left='0' top='0' width='9' height='9'>"
                                     "<control kind='knob' left='0' top='0' width='1' height='1'/>"
                                     "</window></nib>");
    auto result = stravel::testing::RunTool(
        {"xmllint", "--noout", "--relaxng", schema, (dir / "bad.xml").string()});
    EXPECT_NE(result.exitCode, 0);
}

} // namespace
