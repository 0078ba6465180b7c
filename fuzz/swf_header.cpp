// SWF file headers and compressed movies over untrusted bytes. A header that reads writes
// its fixed fields back unchanged; a compressed movie inflates to no more than its header
// declares, and what inflates compresses and inflates back to the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "swf/header/swf_compressor.h"
#include "swf/header/swf_header.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace {

using namespace ravuz;
using Bytes = std::vector<uint8_t>;

void Check(bool ok) {
    if (!ok)
        std::abort();
}

const char* const kFiles[] = {"/in.swf", "/out.swf", "/again.swf"};

// A private folder for the files of one run, removed at exit (the name outlives the
// handler that needs it).
const std::string& Folder() {
    static const std::string& folder = *new std::string([] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/swf-fuzz-XXXXXX";
        Check(mkdtemp(pattern.data()) != nullptr);
        std::atexit([] {
            for (const char* name : kFiles)
                std::remove((Folder() + name).c_str());
            rmdir(Folder().c_str());
        });
        return pattern;
    }());
    return folder;
}

Bytes ReadAll(const std::string& path) {
    Bytes out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            out.insert(out.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return out;
}

void WriteAll(const std::string& path, const uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    Check(f != nullptr);
    Check(std::fwrite(data, 1, size, f) == size);
    Check(std::fclose(f) == 0);
}

void CheckHeader(const uint8_t* data, std::size_t size) {
    CBK_SwfReader reader;
    reader.CreateFromBytes(data, size, 6);
    CBK_SwfHeader header;
    const uint32_t consumed = header.Read(&reader, true);
    Check(consumed <= size);
    // Short data reads as zeros: only a complete header has fields to compare.
    if (consumed == 0 || size < 9 || consumed != 8u + (5u + 4u * (data[8] >> 3) + 7u) / 8u + 4u)
        return;
    CBK_SwfStream out(6);
    const uint32_t written = header.Write(&out);
    const auto& bytes = out.GetStream();
    Check(written == bytes.size());
    // The rectangle is written with its smallest width, so only the fixed fields must match.
    Check(std::memcmp(bytes.data(), data, 8) == 0);
    Check(std::memcmp(bytes.data() + bytes.size() - 4, data + consumed - 4, 4) == 0);
}

void CheckCompressed(const uint8_t* data, std::size_t size) {
    const std::string packed = Folder() + kFiles[0], plain = Folder() + kFiles[1],
                      again = Folder() + kFiles[2];
    WriteAll(packed, data, size);
    std::remove(plain.c_str());
    if (!CBK_SwfCompressor::DecompressSwf(CBK_Path(BK_FileSystemNameToWide(packed)),
                                          CBK_Path(BK_FileSystemNameToWide(plain)), true))
        return;
    const Bytes inflated = ReadAll(plain);
    Check(inflated.size() >= 8 && std::memcmp(inflated.data(), "FWS", 3) == 0);
    Check(std::memcmp(inflated.data() + 3, data + 3, 5) == 0);
    uint32_t declared;
    std::memcpy(&declared, data + 4, 4);
    Check(inflated.size() <= std::max<uint64_t>(declared, 8));
    Check(CBK_SwfCompressor::CompressSwf(CBK_Path(BK_FileSystemNameToWide(plain)),
                                         CBK_Path(BK_FileSystemNameToWide(again)), true));
    Check(CBK_SwfCompressor::DecompressSwf(CBK_Path(BK_FileSystemNameToWide(again)), false));
    Check(ReadAll(again) == inflated);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CheckHeader(data, size);
    if (size >= 3 && std::memcmp(data, "CWS", 3) == 0)
        CheckCompressed(data, size);
    return 0;
}
