// Whole movies through the reader: the tag factory, every tag's reading, sprites and the
// bytes kept beyond fields. Whatever is read writes out, and what is written reads back to
// the same tags and writes the same bytes again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/paths/path.h"
#include "swf/base/swf_tag.h"
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

// Whether a reader that did not read the movie refused it for the memory its objects take,
// the one reason it may give.
bool Refused(bool read, const CBK_SwfReader& reader) {
    Check(read || reader.GetLastError() == CBK_SwfReader::ERROR_NO_MEMORY);
    return !read;
}

Bytes Rewrite(const Bytes& movie, std::size_t* tags) {
    CBK_SwfReader reader;
    Check(reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true));
    if (tags)
        *tags = reader.GetTags().size();
    CBK_SwfStream out(reader.GetHeader().GetVersion());
    const uint32_t n = reader.Write(&out);
    reader.Destroy(true);
    const auto& bytes = out.GetStream();
    Check(n == bytes.size());
    return Bytes(bytes.begin(), bytes.end());
}

// The tags read, written out.
Bytes TagBytes(CBK_SwfReader& reader) {
    CBK_SwfStream out(reader.GetHeader().GetVersion());
    for (CBK_SwfTag* tag : reader.GetTags())
        tag->Write(&out);
    reader.Destroy(true);
    const auto& bytes = out.GetStream();
    return Bytes(bytes.begin(), bytes.end());
}

// The tags of the movie read from a file, which keep their bytes in the blocks it is read
// into, equal those read from memory. (The headers may differ: a length too short to hold
// the header reads as no header from memory.)
void CheckFileReading(const Bytes& movie) {
    static const std::string path = "/tmp/fuzz_swf_reader." + std::to_string(::getpid());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Check(file && std::fwrite(movie.data(), 1, movie.size(), file) == movie.size());
    std::fclose(file);
    CBK_SwfReader fromFile, fromMemory;
    const bool fileRead =
        fromFile.Open(CBK_Path(std::wstring(path.begin(), path.end())), true, 0, true);
    std::remove(path.c_str());
    const bool memoryRead = fromMemory.CreateFromBuffer(movie.data(), movie.size(), true, 0, true);
    if (Refused(fileRead, fromFile) | Refused(memoryRead, fromMemory))
        return;
    Check(TagBytes(fromFile) == TagBytes(fromMemory));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8 || size > 1 << 20)
        return 0;
    Bytes movie(data, data + size);
    std::memcpy(movie.data(), "FWS", 3); // the signature check is not what is fuzzed

    // A movie whose objects would take more memory than its bytes bear is refused whole.
    CBK_SwfReader probe;
    if (Refused(probe.CreateFromBuffer(movie.data(), movie.size(), true, 0, true), probe)) {
        CheckFileReading(movie);
        return 0;
    }
    probe.Destroy(true);

    // One rewrite gives the final bytes, and they read to as many tags each time.
    std::size_t first = 0, second = 0;
    const Bytes once = Rewrite(movie, nullptr);
    const Bytes twice = Rewrite(once, &first);
    Check(twice == once);
    Rewrite(twice, &second);
    Check(first == second);
    CheckFileReading(movie);

    // Raw mode gives every tag back as stored.
    CBK_SwfReader raw;
    Check(raw.CreateFromBuffer(movie.data(), movie.size(), true, 0, false));
    raw.ParseGenericTags();
    CBK_SwfStream out(raw.GetHeader().GetVersion());
    raw.Write(&out);
    raw.Destroy(true);
    return 0;
}
