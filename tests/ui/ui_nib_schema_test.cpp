#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/tools.h"
#include "tests/ui/ui_fixture.h"

namespace {

// The nib these tests load is held to the same schema as the application's.
TEST(UiNibSchemaTest, TheTestNibPassesTheSchema) {
    STRAVEL_REQUIRE_TOOL("xmllint");
    const char* bundle = std::getenv("STRAVEL_BUNDLE");
    ASSERT_NE(bundle, nullptr);
    const auto schema =
        std::filesystem::path(bundle) / "Contents" / "Resources" / "nibs" / "nib.rng";
    stravel::testing::TempDir dir;
    stravel::testing::WriteFileBytes(dir / "uitest.xml", stravel::testing::kUiTestNib);
    auto result = stravel::testing::RunTool(
        {"xmllint", "--noout", "--relaxng", schema.string(), (dir / "uitest.xml").string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

} // namespace
