#include "tests/support/windowing_fixture.h"

#include "platform/windows/test_driver.h"

namespace stravel::testing {

void WindowingTest::SetUp() {
    tbx::test::ResetWindowing();
    tbx::test::SetFailureHandler([this](const std::string& message) {
        _failures.push_back(message);
        if (!_recordOnly)
            ADD_FAILURE() << message;
    });
}

void WindowingTest::TearDown() {
    EXPECT_EQ(tbx::test::PendingSteps(), 0u) << "scripted steps were left unused";
    tbx::test::ResetWindowing();
    tbx::test::SetFailureHandler(nullptr);
}

} // namespace stravel::testing
