// A fresh windowing model for each test; a wait that nothing was scripted to answer fails the
// test (or, for tests about that very failure, is recorded).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace stravel::testing {

class WindowingTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Records failures of the script instead of failing the test.
    void ExpectScriptFailures() { _recordOnly = true; }
    const std::vector<std::string>& ScriptFailures() const { return _failures; }

private:
    bool _recordOnly = false;
    std::vector<std::string> _failures;
};

} // namespace stravel::testing
