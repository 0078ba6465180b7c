// Permissions do not bind the super-user: tests of what they refuse run as `nobody`.
#pragma once

namespace stravel::testing {

// True when the caller should run the current test's body itself: the tests do not run as
// root, or this is the run as `nobody`. As root, the current test is run again as `nobody`
// (setpriv) in a process of its own, its result becomes this test's, and the answer is false.
// The test is skipped where that cannot be done, and fails then when CI is set.
bool RunUnprivileged();

} // namespace stravel::testing
