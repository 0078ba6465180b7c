#include "core/codec/base64.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "core/files/atomic_file.h"
#include "core/files/whole_file.h"
#include "core/paths/path.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

enum : uint8_t { kPad = 64, kSpace = 65, kForeign = 66 };

constexpr std::array<uint8_t, 256> MakeDecodeTable() {
    std::array<uint8_t, 256> table{};
    for (auto& v : table)
        v = kForeign;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<uint8_t>(i);
    table['='] = kPad;
    for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'})
        table[c] = kSpace;
    return table;
}

constexpr std::array<uint8_t, 256> kDecode = MakeDecodeTable();

// Writes the encoding of n bytes (4 characters per started group of 3) to out.
void EncodeInto(const unsigned char* data, std::size_t n, unsigned char* out) {
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const uint32_t v = (uint32_t(data[i]) << 16) | (uint32_t(data[i + 1]) << 8) | data[i + 2];
        *out++ = kAlphabet[v >> 18];
        *out++ = kAlphabet[(v >> 12) & 63];
        *out++ = kAlphabet[(v >> 6) & 63];
        *out++ = kAlphabet[v & 63];
    }
    if (n - i == 1) {
        const uint32_t v = uint32_t(data[i]) << 16;
        *out++ = kAlphabet[v >> 18];
        *out++ = kAlphabet[(v >> 12) & 63];
        *out++ = '=';
        *out++ = '=';
    } else if (n - i == 2) {
        const uint32_t v = (uint32_t(data[i]) << 16) | (uint32_t(data[i + 1]) << 8);
        *out++ = kAlphabet[v >> 18];
        *out++ = kAlphabet[(v >> 12) & 63];
        *out++ = kAlphabet[(v >> 6) & 63];
        *out++ = '=';
    }
}

constexpr std::size_t EncodedSize(std::size_t n) {
    return (n / 3 + (n % 3 != 0)) * 4;
}

// Decodes text that may arrive in pieces.
class Decoder {
public:
    // With skipForeign, characters outside the alphabet are ignored instead of refused.
    explicit Decoder(bool skipForeign) : _skipForeign(skipForeign) {}

    bool Feed(const unsigned char* text, std::size_t n, std::vector<unsigned char>& out) {
        for (std::size_t i = 0; i < n && !_ended && !_failed; ++i) {
            const uint8_t v = kDecode[text[i]];
            if (v < 64) {
                _bits = (_bits << 6) | v;
                if (++_count == 4) {
                    out.push_back(static_cast<unsigned char>(_bits >> 16));
                    out.push_back(static_cast<unsigned char>(_bits >> 8));
                    out.push_back(static_cast<unsigned char>(_bits));
                    _bits = 0;
                    _count = 0;
                }
            } else if (v == kPad) {
                _failed = !Flush(out);
                _ended = true;
            } else if (v == kForeign && !_skipForeign) {
                _failed = true;
            }
        }
        return !_failed;
    }

    bool Finish(std::vector<unsigned char>& out) {
        if (!_ended && !_failed)
            _failed = !Flush(out);
        _ended = true;
        return !_failed;
    }

private:
    // The bytes of a group cut short; one character alone carries no whole byte.
    bool Flush(std::vector<unsigned char>& out) {
        if (_count == 1)
            return false;
        if (_count == 2) {
            out.push_back(static_cast<unsigned char>(_bits >> 4));
        } else if (_count == 3) {
            out.push_back(static_cast<unsigned char>(_bits >> 10));
            out.push_back(static_cast<unsigned char>(_bits >> 2));
        }
        _bits = 0;
        _count = 0;
        return true;
    }

    bool _skipForeign;
    uint32_t _bits = 0;
    int _count = 0;
    bool _ended = false;
    bool _failed = false;
};

using FilePtr = std::unique_ptr<FILE, int (*)(FILE*)>;

// Only a regular file: a device such as /dev/zero would fill the disk with its encoding.
FilePtr OpenForReading(const CBK_Path& path) {
    return FilePtr(BK_OpenRegularFile(path), &std::fclose);
}

} // namespace

bool CBK_Base64::Encode(const unsigned char* data, std::size_t n) {
    _data.clear();
    if (!data || n > (std::numeric_limits<std::size_t>::max() / 4 - 1) * 3)
        return false;
    _data.resize(EncodedSize(n));
    EncodeInto(data, n, _data.data());
    return true;
}

bool CBK_Base64::Decode(const unsigned char* text, std::size_t n) {
    _data.clear();
    if (!text)
        return false;
    _data.reserve(n / 4 * 3 + 3);
    Decoder decoder(false);
    if (!decoder.Feed(text, n, _data) || !decoder.Finish(_data)) {
        _data.clear();
        return false;
    }
    return true;
}

bool CBK_Base64::Encode(const CBK_Path& path) {
    std::vector<unsigned char> bytes;
    if (!BK_ReadWholeFile(path, bytes, kMaxFileSize)) {
        _data.clear();
        return false;
    }
    // A vector that never allocated has no data pointer; that is still zero bytes to encode.
    static const unsigned char kNothing = 0;
    return Encode(bytes.empty() ? &kNothing : bytes.data(), bytes.size());
}

bool CBK_Base64::Decode(const CBK_Path& path) {
    std::vector<unsigned char> text;
    if (!BK_ReadWholeFile(path, text, kMaxFileSize)) {
        _data.clear();
        return false;
    }
    static const unsigned char kNothing = 0;
    return Decode(text.empty() ? &kNothing : text.data(), text.size());
}

bool CBK_Base64::GetDataAsString(wchar_t* buf, int32_t size) const {
    if (!buf || size <= 0)
        return false;
    if (_data.size() >= static_cast<std::size_t>(size)) {
        buf[0] = L'\0';
        return false;
    }
    for (std::size_t i = 0; i < _data.size(); ++i)
        buf[i] = static_cast<wchar_t>(_data[i]);
    buf[_data.size()] = L'\0';
    return true;
}

bool BK_Base64Encode(const CBK_Path& in, const CBK_Path& out, int lineLength) {
    FilePtr input = OpenForReading(in);
    if (!input)
        return false;
    CBK_AtomicFile output;
    if (!output.Open(BK_WideToFileSystemName(out.GetPathString())))
        return false;

    const std::size_t groupsPerLine =
        lineLength >= 4 ? static_cast<std::size_t>(lineLength) / 4 : 0;
    std::vector<unsigned char> bytes(3 * 16384);
    std::vector<unsigned char> text;
    std::size_t groupsOnLine = 0;
    for (;;) {
        const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), input.get());
        if (got == 0)
            break;
        const std::size_t groups = got / 3 + (got % 3 != 0);
        text.resize(EncodedSize(got));
        EncodeInto(bytes.data(), got, text.data());
        if (groupsPerLine == 0) {
            if (!output.Write(text.data(), text.size()))
                return false;
        } else {
            std::size_t group = 0;
            while (group < groups) {
                const std::size_t run = std::min(groups - group, groupsPerLine - groupsOnLine);
                if (!output.Write(text.data() + group * 4, run * 4))
                    return false;
                group += run;
                groupsOnLine += run;
                if (groupsOnLine == groupsPerLine) {
                    if (!output.Write("\r\n", 2))
                        return false;
                    groupsOnLine = 0;
                }
            }
        }
        if (got < bytes.size())
            break;
    }
    if (std::ferror(input.get()))
        return false;
    if (groupsOnLine != 0 && !output.Write("\r\n", 2))
        return false;
    return output.Commit();
}

bool BK_Base64Decode(const CBK_Path& in, const CBK_Path& out) {
    FilePtr input = OpenForReading(in);
    if (!input)
        return false;
    CBK_AtomicFile output;
    if (!output.Open(BK_WideToFileSystemName(out.GetPathString())))
        return false;

    Decoder decoder(true);
    std::vector<unsigned char> text(1 << 16);
    std::vector<unsigned char> bytes;
    for (;;) {
        const std::size_t got = std::fread(text.data(), 1, text.size(), input.get());
        bytes.clear();
        decoder.Feed(text.data(), got, bytes);
        if (!output.Write(bytes.data(), bytes.size()))
            return false;
        if (got < text.size())
            break;
    }
    if (std::ferror(input.get()))
        return false;
    bytes.clear();
    if (!decoder.Finish(bytes) || !output.Write(bytes.data(), bytes.size()))
        return false;
    return output.Commit();
}
