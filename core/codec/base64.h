// Base64 (RFC 4648 alphabet, "=" padding) in memory and between files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CBK_Path;

// Holds the result of its last Encode or Decode. A call that fails leaves the result empty.
class CBK_Base64 {
public:
    CBK_Base64() = default;

    // The encoding of the bytes, without line breaks; false for null data.
    bool Encode(const unsigned char* data, std::size_t n);
    // The bytes of the text. White space is skipped and decoding ends at the first "=";
    // false for null text, any other character outside the alphabet, or a group cut after
    // its first character. Text without padding is accepted.
    bool Decode(const unsigned char* text, std::size_t n);

    // The same over the whole content of a file; false when it does not open or cannot be
    // read, is not a regular file, or holds more than kMaxFileSize bytes.
    static constexpr std::size_t kMaxFileSize = std::size_t(64) << 20;
    bool Encode(const CBK_Path& path);
    bool Decode(const CBK_Path& path);

    // Copies the result, one character per byte, with a terminator when that fits into `size`
    // characters; else leaves `buf` empty (when there is room for that) and returns false.
    bool GetDataAsString(wchar_t* buf, int32_t size) const;

    const unsigned char* GetData() const { return _data.data(); }
    std::size_t GetSize() const { return _data.size(); }

private:
    std::vector<unsigned char> _data;
};

// File to file. Every lineLength / 4 groups, and after the last group, "\r\n" ends a line; a
// line length below 4 writes no line breaks. False when the input does not open, is not a
// regular file or cannot be read, or the output cannot be written; the output file is
// replaced only on success.
bool BK_Base64Encode(const CBK_Path& in, const CBK_Path& out, int lineLength);

// File to file. Characters outside the alphabet (line breaks included) are skipped and
// decoding ends at the first "=". False when a file fails (as above) or the text ends one
// character into a group.
bool BK_Base64Decode(const CBK_Path& in, const CBK_Path& out);
