// Bit readers over arbitrary bytes: the first byte says how many of the following bytes are
// operations to run; the rest is the data, read from memory and from a file, which must
// agree.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "core/bitstream/bit_reader.h"
#include "core/paths/path.h"

namespace {

int64_t Apply(CBK_BitReader& reader, uint8_t op) {
    switch (op % 8) {
    case 0:
        return reader.GetBits(static_cast<uint16_t>(op >> 3), op & 0x80);
    case 1:
        return reader.GetByte();
    case 2:
        return reader.GetWord();
    case 3:
        return reader.GetDWord();
    case 4:
        return reader.PeekByte();
    case 5:
        reader.SetBufPos(op >> 3);
        return 0;
    case 6:
        reader.OffSetBufPos(static_cast<int8_t>(op) >> 3);
        return 0;
    default:
        reader.ByteAlign();
        return 0;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t ops = std::min<size_t>(data[0], size - 1);
    const uint8_t* program = data + 1;
    const uint8_t* payload = program + ops;
    const size_t length = size - 1 - ops;

    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        return std::string(folder && *folder ? folder : "/tmp") + "/stravel_fuzz_bits_" +
               std::to_string(getpid()) + ".bin";
    }();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(payload, 1, length, file);
    std::fclose(file);

    CBK_BitReader memory;
    CBK_BitFileReader disk;
    memory.Open(payload, static_cast<int32_t>(length));
    const CBK_Path filePath(std::wstring(path.begin(), path.end()));
    if (disk.Open(filePath)) {
        for (size_t i = 0; i < ops; ++i) {
            const int64_t a = Apply(memory, program[i]);
            const int64_t b = Apply(disk, program[i]);
            if (a != b || memory.GetBufPos() != disk.GetBufPos())
                std::abort();
        }
    }
    std::remove(path.c_str());
    return 0;
}
