// A windowing test with a scratch bundle that holds the button texts and a test nib.
#pragma once

#include "platform/windows/nib.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/windowing_fixture.h"

namespace stravel::testing {

inline const char* kUiTestStrings = "\"10024\" = \"Yes\";\n"
                                    "\"10025\" = \"No\";\n"
                                    "\"10026\" = \"OK\";\n"
                                    "\"10027\" = \"Cancel\";\n"
                                    "\"20001\" = \"Title from id\";\n"
                                    "\"20002\" = \"Message %d from id\";\n"
                                    "\"20003\" = \"Percent %% and %ls\";\n";

inline const char* kUiTestNib = R"(<?xml version="1.0" encoding="UTF-8"?>
<nib>
  <window name="IDD_TEST" class="movable-modal" left="100" top="120" width="400" height="300"
          title="Test" closeBox="true" resizable="true">
    <control kind="push" signature="ok  " number="60" command="ok  " left="300" top="260"
             width="80" height="20" title="OK"/>
    <control kind="push" signature="bAdd" number="60" command="bAdd" left="20" top="260"
             width="80" height="20" title="Add"/>
    <control kind="push" signature="bAdd" number="61" command="bAdd" left="120" top="260"
             width="80" height="20" title="Add elsewhere"/>
    <control kind="check" signature="cAll" number="60" left="20" top="230" width="100"
             height="18" title="All"/>
    <control kind="pane" number="2001" left="10" top="10" width="380" height="200">
      <control kind="push" signature="bPan" number="2001" command="bPan" left="20" top="20"
               width="80" height="20" title="In pane"/>
    </control>
  </window>
  <window name="IDD_PLAIN" class="document" left="500" top="120" width="200" height="100"
          title="Plain">
    <control kind="push" signature="ok  " number="0" command="ok  " left="100" top="60"
             width="80" height="20" title="OK"/>
  </window>
</nib>
)";

class UiTest : public WindowingTest {
protected:
    UiTest() : bundle(kUiTestStrings) { bundle.AddResource("nibs/uitest.xml", kUiTestNib); }
    void SetUp() override {
        WindowingTest::SetUp();
        ASSERT_EQ(tbx::CreateNibReference(CFSTR("uitest"), &nib), tbx::noErr);
    }
    void TearDown() override {
        tbx::DisposeNibReference(nib);
        WindowingTest::TearDown();
    }
    ScratchBundle bundle;
    tbx::IBNibRef nib = nullptr;
};

} // namespace stravel::testing
