// Buffer-to-buffer zlib compression that sizes its output itself. Buffers returned belong to
// the caller, who frees them with delete[].
#pragma once

#include <cstddef>
#include <cstdint>

// The largest output BK_ZlibUncompress produces unless told otherwise.
inline constexpr std::size_t kBK_ZlibMaxUncompressedSize = std::size_t(1) << 30;

// zlib's compressed form of the n bytes (default level), its size in `length`; null on
// failure. The zlib result code is kept as the last error.
unsigned char* BK_ZlibCompress(const unsigned char* src, std::size_t n, std::size_t& length);

// The bytes of one complete zlib stream (bytes after its end are ignored), their number in
// `length`; null when the stream is damaged, cut short, or would exceed maxLength bytes. The
// last error is not touched.
unsigned char* BK_ZlibUncompress(const unsigned char* src, std::size_t n, std::size_t& length,
                                 std::size_t maxLength = kBK_ZlibMaxUncompressedSize);

// The zlib result code of the last BK_ZlibCompress (0 before any).
int32_t BK_ZlibLastError();
