// Walks through files' named forks for the fork iteration. Not for callers outside
// platform/files.
#pragma once

#include <string>

#include "platform/files/fs_forks.h"

namespace tbx::fs_detail {

// The attribute and size of the walk's next named fork, `at` moved to its position (2: the
// first named fork); errFSNoMoreItems after the last. A record whose walk was pushed out of
// the table of walks by a great many others, or a copy left behind by its walk, gets
// errFSIteratorNotFound rather than a guess.
OSErr NextNamedFork(const FSRef& ref, CatPositionRec& position, SInt64& at, std::string& attribute,
                    SInt64& size);

} // namespace tbx::fs_detail
