// The bytes of a whole movie file as the readers parse them: plain files as they are,
// compressed ones inflated in memory, so that no temporary file is shared or left behind.
#pragma once

#include <cstdint>

#include "swf/stream/shared_bytes.h"

class CBK_Path;

namespace ravuz {

// TooLarge: a compressed movie whose zlib stream inflates past what a movie of its file's
// size may take in memory (SwfInflateLimit).
enum class SwfLoadResult { Loaded, CannotOpen, NotSwf, TooLarge };

struct SwfMovieBytes {
    CBK_SwfSharedBytes bytes;
    uint64_t fileBytes = 0; // the size of the file
    uint64_t heldBytes = 0; // the memory the bytes take
};

// With `checkSignature` the file must begin "FWS" or "CWS" and `out` gets the plain form
// ("FWS", version, length, body); without, the file begins at the length field and is taken
// as it is. At most `maxBytes` (when non-zero, else the declared length) counted from the
// signature, and never more than the file holds or inflates to: a length the file does not
// bear out takes address space, not memory.
SwfLoadResult SwfLoadMovieBytes(const CBK_Path& path, bool checkSignature, uint32_t maxBytes,
                                SwfMovieBytes& out);

} // namespace ravuz
