// A byte stream buffer over the data fork of one file, and the output stream that holds one.
// Only the char instance exists. Output is gathered in a 64 KiB buffer and written on
// overflow, seek, sync and close; writes that fail make those operations fail. Positions are
// 64-bit. Opening for output without "in" or "app", or with "trunc", empties the file.
#pragma once

#include <ios>
#include <locale>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

template <class CharT, class Traits = std::char_traits<CharT>>
class TBK_MacCarbonFileBuf : public std::basic_streambuf<CharT, Traits> {
    static_assert(std::is_same_v<CharT, char>, "only the byte stream exists");

public:
    using int_type = typename Traits::int_type;
    using pos_type = typename Traits::pos_type;
    using off_type = typename Traits::off_type;
    using Base = std::basic_streambuf<CharT, Traits>;

    static constexpr std::size_t kBufferSize = 64 * 1024;

    // Wraps an open fork (0: not open).
    explicit TBK_MacCarbonFileBuf(short forkRef = 0);
    ~TBK_MacCarbonFileBuf() override;
    TBK_MacCarbonFileBuf(const TBK_MacCarbonFileBuf&) = delete;
    TBK_MacCarbonFileBuf& operator=(const TBK_MacCarbonFileBuf&) = delete;

    // Null when already open (the open fork stays), for a mode outside the supported
    // combinations, or when the file cannot be made or opened. A missing file is created in
    // its folder, which must exist.
    TBK_MacCarbonFileBuf* open(const wchar_t* path, std::ios_base::openmode mode);
    // Writes what is pending and closes; null when anything failed (closed all the same).
    TBK_MacCarbonFileBuf* close();
    bool is_open() const { return _fork != 0; }

protected:
    void imbue(const std::locale& loc) override;
    // n == 0 makes every byte reach the file as it is written; `s` is never used.
    Base* setbuf(CharT* s, std::streamsize n) override;
    pos_type seekoff(off_type off, std::ios_base::seekdir dir,
                     std::ios_base::openmode mode = std::ios_base::in |
                                                    std::ios_base::out) override;
    pos_type seekpos(pos_type pos, std::ios_base::openmode mode = std::ios_base::in |
                                                                  std::ios_base::out) override;
    int sync() override;
    std::streamsize showmanyc() override;
    int_type underflow() override;
    int_type uflow() override;
    int_type pbackfail(int_type c = Traits::eof()) override;
    std::streamsize xsputn(const CharT* s, std::streamsize n) override;
    int_type overflow(int_type c = Traits::eof()) override;

private:
    bool WriteBytes(const char* bytes, std::size_t count);
    // Writes the put area (converted when the facet asks) and empties it.
    bool FlushOutput();
    bool Unshift();
    int_type ReadOne(bool peek);
    bool FillGetArea();
    // Moves the fork back over input read ahead but not consumed.
    bool ForgetReadAhead();
    void DropAreas();

    short _fork = 0;
    std::mbstate_t _state{};
    const std::codecvt<CharT, char, std::mbstate_t>* _facet = nullptr;
    std::vector<CharT> _buffer;
    std::string _rawInput; // bytes read but not yet converted
    bool _written = false;
    bool _noConversion = true;
    bool _buffered = true;
};

template <class CharT, class Traits = std::char_traits<CharT>>
class TBK_MacCarbonOFStream : public std::basic_ostream<CharT, Traits> {
public:
    TBK_MacCarbonOFStream() : std::basic_ostream<CharT, Traits>(nullptr) { this->init(&_buf); }
    ~TBK_MacCarbonOFStream() override = default;

    // Opens with `out` added; the fail bit is set when that fails.
    void open(const wchar_t* path, std::ios_base::openmode mode) {
        if (!_buf.open(path, mode | std::ios_base::out))
            this->setstate(std::ios_base::failbit);
    }
    bool is_open() const { return _buf.is_open(); }
    void close() {
        if (!_buf.close())
            this->setstate(std::ios_base::failbit);
    }
    TBK_MacCarbonFileBuf<CharT, Traits>* rdbuf() const {
        return const_cast<TBK_MacCarbonFileBuf<CharT, Traits>*>(&_buf);
    }

private:
    TBK_MacCarbonFileBuf<CharT, Traits> _buf;
};

extern template class TBK_MacCarbonFileBuf<char>;
