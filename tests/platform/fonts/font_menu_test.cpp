#include <gtest/gtest.h>

#include "platform/fonts/font_menu.h"

namespace {

using namespace tbx;

class FontFamilyInstanceTest : public ::testing::Test {
protected:
    void TearDown() override { test::ResetFontMenu(); }
};

// Under a fixed catalogue of a family with one italic face, one with one bold face and one with
// a plain and a bold italic face, every request is answered with the nearest face there is,
// the slant weighing before the weight (as fontconfig matches), and that face's own style.
TEST_F(FontFamilyInstanceTest, AFamilyAnswersWithItsNearestFace) {
    constexpr FMFontFamily kItalic = 2001, kBold = 2002, kPair = 2003;
    test::SetFontMenuCatalog(
        {{kItalic, {italic}}, {kBold, {bold}}, {kPair, {normal, bold | italic}}});
    struct Case {
        FMFontFamily family;
        FMFontStyle asked, intrinsic;
    } cases[] = {
        {kItalic, normal, italic},      {kItalic, bold | underline, italic},
        {kBold, normal, bold},          {kBold, italic, bold},
        {kPair, normal, normal},        {kPair, bold, normal},
        {kPair, italic, bold | italic}, {kPair, bold | italic | shadow, bold | italic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.family << " asked " << c.asked);
        FMFont font = 0, exact = 1;
        FMFontStyle intrinsic = 0xFF;
        ASSERT_EQ(FMGetFontFromFontFamilyInstance(c.family, c.asked, &font, &intrinsic), noErr);
        EXPECT_EQ(intrinsic, c.intrinsic);
        // The face answered is the font of that face.
        ASSERT_EQ(FMGetFontFromFontFamilyInstance(c.family, c.intrinsic, &exact, nullptr), noErr);
        EXPECT_EQ(font, exact);
    }
    FMFont font = 0;
    EXPECT_EQ(FMGetFontFromFontFamilyInstance(2999, normal, &font, nullptr),
              kFMInvalidFontFamilyErr);
}

} // namespace
