// The bytes of a whole movie file as the readers parse them: plain files as they are,
// compressed ones inflated in memory, so that no temporary file is shared or left behind.
#pragma once

#include <cstdint>
#include <vector>

class CBK_Path;

namespace ravuz {

// TooLarge: a compressed movie whose zlib stream inflates beyond what its compressed bytes
// could hold as real content (SwfInflateLimit): a compression bomb.
enum class SwfLoadResult { Loaded, CannotOpen, NotSwf, TooLarge };

// With `checkSignature` the file must begin "FWS" or "CWS" and `data` gets the plain form
// ("FWS", version, length, body); without, the file begins at the length field and is taken
// as it is. At most `maxBytes` (when non-zero, else the declared length) counted from the
// signature, and never more than the file holds: memory grows with the bytes read, and for a
// compressed movie is taken once, for the length it states or the most it may inflate to.
// `fileBytes`, when given, gets the size of the file.
SwfLoadResult SwfLoadMovieBytes(const CBK_Path& path, bool checkSignature, uint32_t maxBytes,
                                std::vector<uint8_t>& data, uint64_t* fileBytes = nullptr);

} // namespace ravuz
