// Windows BMP files: uncompressed pictures of 1, 4, 8 or 24 bits per pixel read into separate
// red, green and blue planes, and 8- and 24-bit pictures written from them. Problems are
// printed on standard output; every routine returns 0 for success and 1 for failure.
#pragma once

#include <cstdint>
#include <iosfwd>

// Multi-byte fields least significant byte first (true, the BMP order, and the start value)
// or most significant byte first. One setting for the whole program.
bool bmp_byte_swap_get();
void bmp_byte_swap_set(bool value);

// Field routines; a read returns 1 at the end of the file, a write when the stream fails.
int u_short_int_read(uint16_t* value, std::istream& in);
int u_short_int_write(uint16_t value, std::ostream& out);
// 32 bits as two 16-bit halves in the order the switch gives.
int u_long_int_read(uint32_t* value, std::istream& in);
int u_long_int_write(uint32_t value, std::ostream& out);
int long_int_read(int32_t* value, std::istream& in);
int long_int_write(int32_t value, std::ostream& out);

struct BK_BMP_HEADER1 {
    uint16_t magic = 0; // the first two bytes, the first one high: 0x424D for "BM"
    uint32_t fileSize = 0;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    uint32_t dataOffset = 0; // where the pixel rows start
};

struct BK_BMP_HEADER2 {
    uint32_t size = 0; // of this header: 40, or 52 to 124 for the later forms
    uint32_t width = 0;
    int32_t height = 0; // negative for rows stored top row first
    uint16_t planes = 0;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    uint32_t horizontalResolution = 0;
    uint32_t verticalResolution = 0;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;
};

// The five fields of the file header; the magic is always the bytes "BM" on writing.
int bmp_header1_read(std::istream& in, BK_BMP_HEADER1& header);
int bmp_header1_write(std::ostream& out, const BK_BMP_HEADER1& header);
// The eleven fields of the 40-byte information header (later forms add fields after them).
int bmp_header2_read(std::istream& in, BK_BMP_HEADER2& header);
int bmp_header2_write(std::ostream& out, const BK_BMP_HEADER2& header);
// n entries of blue, green, red and alpha bytes.
int bmp_palette_read(std::istream& in, uint32_t n, uint8_t* r, uint8_t* g, uint8_t* b, uint8_t* a);
int bmp_palette_write(std::ostream& out, uint32_t n, const uint8_t* r, const uint8_t* g,
                      const uint8_t* b, const uint8_t* a);

// Pixel rows with their padding to 4 bytes, in file order. A file that ends inside the
// padding of a row is read with a warning.
int bmp_08_data_read(std::istream& in, uint32_t width, int32_t height, uint8_t* data);
int bmp_08_data_write(std::ostream& out, uint32_t width, int32_t height, const uint8_t* data);
int bmp_24_data_read(std::istream& in, uint32_t width, int32_t height, uint8_t* r, uint8_t* g,
                     uint8_t* b);
int bmp_24_data_write(std::ostream& out, uint32_t width, int32_t height, const uint8_t* r,
                      const uint8_t* g, const uint8_t* b);

// The largest picture that bmp_read hands over: its three planes together hold at most this
// many bytes (512 MiB), as the largest 24-bit image of the program does.
constexpr uint64_t kBMP_MaxPlaneBytes = uint64_t(1) << 29;

// Reads a BMP file (UTF-8 name). On success the width, the signed height and three planes
// of width × |height| bytes, rows in file order (bottom row first for a positive height),
// each allocated with new[] and owned by the caller; a palette picture is looked up in its
// palette (an 8-bit picture without one reads as grey levels). Compressed files are refused,
// and so are pictures above kBMP_MaxPlaneBytes, before anything is allocated.
int bmp_read(const char* name, uint32_t* width, int32_t* height, uint8_t** r, uint8_t** g,
             uint8_t** b);

// Writes a 24-bit file, or an 8-bit file with a grey palette of 256 entries. An existing
// file is replaced only once the whole new file is written.
int bmp_24_write(const char* name, uint32_t width, int32_t height, const uint8_t* r,
                 const uint8_t* g, const uint8_t* b);
int bmp_08_write(const char* name, uint32_t width, int32_t height, const uint8_t* data);

void bmp_header1_print(const BK_BMP_HEADER1& header);
void bmp_header2_print(const BK_BMP_HEADER2& header);
void bmp_palette_print(uint32_t n, const uint8_t* r, const uint8_t* g, const uint8_t* b,
                       const uint8_t* a);

// Exercises: read a file and print its size; print its headers and palette; write a test
// pattern of 8 or 24 bits.
int bmp_read_test(const char* name);
int bmp_print_test(const char* name);
int bmp_08_write_test(const char* name);
int bmp_24_write_test(const char* name);
