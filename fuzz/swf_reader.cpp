// Whole movies through the reader: the tag factory, every tag's reading, sprites and the
// bytes kept beyond fields. Whatever is read writes out, and what is written reads back to
// the same tags and writes the same bytes again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "swf/header/swf_header.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace {

using namespace ravuz;
using Bytes = std::vector<uint8_t>;

void Check(bool ok, int line) {
    if (!ok) {
        std::fprintf(stderr, "swf_reader: check on line %d failed\n", line);
        std::abort();
    }
}
#define Check(ok) Check((ok), __LINE__)

Bytes Rewrite(const Bytes& movie, std::size_t* tags) {
    CBK_SwfReader reader;
    Check(reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true));
    if (tags)
        *tags = reader.GetTags().size();
    CBK_SwfStream out(reader.GetHeader().GetVersion());
    const uint32_t n = reader.Write(&out);
    reader.Destroy(true);
    Check(n == out.GetStream().size());
    return out.GetStream();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8 || size > 1 << 20)
        return 0;
    Bytes movie(data, data + size);
    std::memcpy(movie.data(), "FWS", 3); // the signature check is not what is fuzzed

    // One rewrite gives the final bytes, and they read to as many tags each time.
    std::size_t first = 0, second = 0;
    const Bytes once = Rewrite(movie, nullptr);
    const Bytes twice = Rewrite(once, &first);
    Check(twice == once);
    Rewrite(twice, &second);
    Check(first == second);

    // Raw mode gives every tag back as stored.
    CBK_SwfReader raw;
    Check(raw.CreateFromBuffer(movie.data(), movie.size(), true, 0, false));
    raw.ParseGenericTags();
    CBK_SwfStream out(raw.GetHeader().GetVersion());
    raw.Write(&out);
    raw.Destroy(true);
    return 0;
}
