// Points the preference folders at a scratch folder for one test, so that tests never touch
// the real user's settings.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/tools.h"

namespace stravel::testing {

class PrefsFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string UserFolder() const { return (_dir / "config/Stravel").string(); }
    std::string SystemFolder() const { return (_dir / "system").string(); }

    TempDir _dir;

private:
    std::string _savedConfig, _savedSystem;
    bool _hadConfig = false, _hadSystem = false;
};

} // namespace stravel::testing
