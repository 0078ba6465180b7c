#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/bundle.h"
#include "tests/support/bundle_fixture.h"

namespace {

using namespace tbx;

std::u16string Lookup(const char* key, CFStringRef value = nullptr) {
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    CFStringRef text = CFBundleCopyLocalizedString(CFBundleGetMainBundle(), k, value, nullptr);
    std::u16string result = text ? text->Text() : u"<null>";
    CFRelease(text);
    CFRelease(k);
    return result;
}

TEST(BundleTest, BuildAssemblesTheApplicationBundle) {
    // The test environment names the bundle that the build assembled from resources/.
    const char* named = std::getenv("STRAVEL_BUNDLE");
    ASSERT_NE(named, nullptr);
    tbx::test::SetMainBundlePath("");
    ASSERT_NE(CFBundleGetMainBundle(), nullptr);
    EXPECT_EQ(CFBundleGetPath(CFBundleGetMainBundle()), named);
    EXPECT_EQ(Lookup("10027"), u"Cancel");
}

TEST(BundleTest, MissingKeysFallBackToValueThenKey) {
    stravel::testing::ScratchBundle bundle("\"k\" = \"v\";");
    EXPECT_EQ(Lookup("k"), u"v");
    EXPECT_EQ(Lookup("absent"), u"absent");
    EXPECT_EQ(Lookup("absent", CFSTR("fallback")), u"fallback");
    EXPECT_EQ(Lookup("absent", CFSTR("")), u"absent");
}

TEST(BundleTest, ABadByteInTheTableCostsNoEntry) {
    stravel::testing::ScratchBundle bundle("\"a\" = \"caf\xE9\";\n\"b\" = \"ok\";");
    EXPECT_EQ(Lookup("a"), std::u16string(u"caf") + char16_t(0xDCE9));
    EXPECT_EQ(Lookup("b"), u"ok");
}

TEST(BundleTest, NoBundleStillAnswersWithTheKey) {
    CFStringRef k = CFSTR("42");
    CFStringRef text = CFBundleCopyLocalizedString(nullptr, k, k, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Text(), u"42");
    CFRelease(text);
    EXPECT_EQ(CFBundleCopyLocalizedString(nullptr, nullptr, nullptr, nullptr), nullptr);
}

} // namespace
