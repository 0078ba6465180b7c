// Shape and bitmap tags taken from movies among the application's resources.
#include <gtest/gtest.h>

#include "swf/bitmaps/define_bits.h"
#include "swf/bitmaps/define_bits_lossless.h"
#include "swf/records/color.h"
#include "swf/shapes/define_shape.h"
#include "swf/styles/fill_style.h"
#include "swf/tags/control_tags.h"
#include "tests/support/bundle_fixture.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;

TEST(SwfResourceFactories, TakeTheFirstTagOfTheirKind) {
    CBK_SwfShowFrame show;
    CBK_SwfDefineShape2 shape;
    shape.SetCharacterId(7);
    shape.CreateBox(0, 0, 100, 50, new CBK_SwfFillStyle(new CBK_SwfColor(255, 0, 0), false),
                    nullptr);
    CBK_SwfDefineBitsLossless2 bitmap;
    bitmap.SetCharacterId(9);
    bitmap.SetBitmapWidth(1);
    bitmap.SetBitmapHeight(1);
    const uint8_t pixels[] = {0x78, 0x9C, 0x63, 0x60, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01};
    bitmap.SetPayload(pixels, sizeof pixels);
    CBK_SwfEnd end;
    const std::string movie = swftest::Movie(6, 2000, 2000, 1, {&show, &shape, &bitmap, &end});

    stravel::testing::ScratchBundle bundle("");
    bundle.AddResource("main.rsrc/xDAS/128", movie);
    std::unique_ptr<CBK_SwfDefineShape> fromResource(
        CBK_SwfDefineShape::CreateFromResource(128, nullptr));
    ASSERT_NE(fromResource, nullptr);
    EXPECT_EQ(fromResource->GetTagId(), kSwfTagDefineShape2);
    EXPECT_EQ(swftest::WriteBytes(*fromResource), swftest::WriteBytes(shape));
    std::unique_ptr<CBK_SwfDefineBitsLossless> image(
        CBK_SwfDefineBitsLossless::CreateFromResource(128, nullptr));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetCharacterId(), 9);
    EXPECT_EQ(CBK_SwfDefineBitsJpeg3::CreateFromResource(128, nullptr), nullptr);
    EXPECT_EQ(CBK_SwfDefineShape::CreateFromResource(129, nullptr), nullptr);
}

} // namespace
