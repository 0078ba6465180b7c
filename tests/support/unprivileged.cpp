#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "tests/support/tools.h"

namespace stravel::testing {

bool RunUnprivileged() {
    if (geteuid() != 0)
        return true;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    const bool possible = !FindTool("setpriv").empty() && length > 0;
    if (!possible) {
        if (OraclesRequired())
            ADD_FAILURE() << "cannot run as nobody (setpriv), and CI needs it";
        else
            GTEST_MESSAGE_("cannot run as nobody (setpriv)", ::testing::TestPartResult::kSkip);
        return false;
    }
    self[length] = '\0';
    // The child makes its own scratch folders: those of this process are root's alone.
    const ToolResult run = RunTool(
        {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "env", "TMPDIR=/tmp", self,
         std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name()});
    if (run.out.find("[==========]") == std::string::npos) {
        if (OraclesRequired())
            ADD_FAILURE() << "nobody cannot run the tests here: " << run.err;
        else
            GTEST_MESSAGE_(("nobody cannot run the tests here: " + run.err).c_str(),
                           ::testing::TestPartResult::kSkip);
        return false;
    }
    EXPECT_EQ(run.exitCode, 0) << "as nobody:\n" << run.out << run.err;
    return false;
}

} // namespace stravel::testing
