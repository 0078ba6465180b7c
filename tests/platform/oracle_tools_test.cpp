// The tests' own check for oracles: a missing tool skips a test at a desk and fails it in CI.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/tools.h"

namespace {

constexpr const char* kMissing = "stravel-no-such-tool";

// Sets CI (or clears it) for one scope.
class CiVariable {
public:
    explicit CiVariable(const char* value) {
        if (const char* old = std::getenv("CI"))
            _saved = old;
        if (value)
            setenv("CI", value, 1);
        else
            unsetenv("CI");
    }
    ~CiVariable() {
        if (_saved)
            setenv("CI", _saved->c_str(), 1);
        else
            unsetenv("CI");
    }

private:
    std::optional<std::string> _saved;
};

void RequireMissingTool() {
    STRAVEL_REQUIRE_TOOL(kMissing);
}

bool HaveMissingTool() {
    return stravel::testing::HaveTool(kMissing);
}

TEST(OracleToolsTest, AMissingToolFailsTheTestInCi) {
    CiVariable ci("true");
    EXPECT_TRUE(stravel::testing::OraclesRequired());
    EXPECT_FATAL_FAILURE(RequireMissingTool(), "stravel-no-such-tool is not installed");
    EXPECT_NONFATAL_FAILURE(HaveMissingTool(), "stravel-no-such-tool is not installed");
}

TEST(OracleToolsTest, AnInstalledToolPassesEverywhere) {
    CiVariable ci("true");
    EXPECT_TRUE(stravel::testing::HaveTool("sh"));
    STRAVEL_REQUIRE_TOOL("sh");
}

TEST(OracleToolsTest, AMissingToolIsNoFailureOutsideCi) {
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        CiVariable ci(value);
        EXPECT_FALSE(stravel::testing::OraclesRequired());
        EXPECT_FALSE(HaveMissingTool()); // and records no failure
    }
}

} // namespace
