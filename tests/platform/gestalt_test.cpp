#include <gtest/gtest.h>

#include "platform/gestalt.h"

namespace {

using tbx::FourCC;

class GestaltTest : public ::testing::Test {
protected:
    void TearDown() override { tbx::test::ResetGestalt(); }
};

TEST_F(GestaltTest, ReportsTheSystemAndQuickTimeVersions) {
    tbx::SInt32 value = 0;
    ASSERT_EQ(tbx::Gestalt(FourCC("sysv"), &value), tbx::noErr);
    EXPECT_EQ(value >> 4, 0x104); // Mac OS X 10.4.x
    ASSERT_EQ(tbx::Gestalt(FourCC("qtim"), &value), tbx::noErr);
    EXPECT_GE(value >> 16, 0x0700);
}

TEST_F(GestaltTest, UnknownSelectorAndNullResponseFail) {
    tbx::SInt32 value = 42;
    EXPECT_EQ(tbx::Gestalt(FourCC("zzzz"), &value), tbx::gestaltUndefSelectorErr);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(tbx::Gestalt(FourCC("sysv"), nullptr), tbx::paramErr);
}

TEST_F(GestaltTest, TestsCanSetAndRemoveSelectors) {
    tbx::test::SetGestalt(FourCC("qtim"), 0x03000000);
    tbx::SInt32 value = 0;
    ASSERT_EQ(tbx::Gestalt(FourCC("qtim"), &value), tbx::noErr);
    EXPECT_EQ(value, 0x03000000);
    tbx::test::RemoveGestalt(FourCC("qtim"));
    EXPECT_EQ(tbx::Gestalt(FourCC("qtim"), &value), tbx::gestaltUndefSelectorErr);
    tbx::test::ResetGestalt();
    EXPECT_EQ(tbx::Gestalt(FourCC("qtim"), &value), tbx::noErr);
}

TEST(FourCCTest, PacksMostSignificantByteFirst) {
    EXPECT_EQ(FourCC("MooV"), 0x4D6F6F56u);
    EXPECT_EQ(FourCC("????"), 0x3F3F3F3Fu);
}

} // namespace
