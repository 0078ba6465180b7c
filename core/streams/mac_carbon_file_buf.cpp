#include "core/streams/mac_carbon_file_buf.h"

#include <cstring>

#include "core/paths/path.h"
#include "core/strings/wide_text.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"

namespace {

using std::ios_base;

// The permission of each supported open mode (less `ate`); -1 for the others.
int PermissionOf(ios_base::openmode mode) {
    const ios_base::openmode m = mode & ~ios_base::ate;
    using I = ios_base;
    if (m == I::in || m == (I::in | I::binary))
        return tbx::fsRdPerm;
    if (m == I::out || m == (I::out | I::trunc) || m == (I::out | I::app))
        return tbx::fsWrPerm;
    if (m == (I::out | I::binary) || m == (I::out | I::trunc | I::binary) ||
        m == (I::out | I::app | I::binary) || m == (I::in | I::out) ||
        m == (I::in | I::out | I::binary) || m == (I::in | I::out | I::trunc) ||
        m == (I::in | I::out | I::trunc | I::binary))
        return tbx::fsRdWrPerm;
    return -1;
}

// Output without "in" or "app" starts an empty file, as it does for any file stream.
bool Truncates(ios_base::openmode mode) {
    if (mode & ios_base::trunc)
        return true;
    return (mode & ios_base::out) && !(mode & (ios_base::in | ios_base::app));
}

constexpr std::size_t kPutBack = 4;

} // namespace

template <class CharT, class Traits>
TBK_MacCarbonFileBuf<CharT, Traits>::TBK_MacCarbonFileBuf(short forkRef) : _fork(forkRef) {
    imbue(this->getloc());
}

template <class CharT, class Traits>
TBK_MacCarbonFileBuf<CharT, Traits>::~TBK_MacCarbonFileBuf() {
    close();
}

template <class CharT, class Traits>
TBK_MacCarbonFileBuf<CharT, Traits>*
TBK_MacCarbonFileBuf<CharT, Traits>::open(const wchar_t* path, ios_base::openmode mode) {
    if (_fork != 0 || !path || !*path)
        return nullptr;
    const int permission = PermissionOf(mode);
    if (permission < 0)
        return nullptr;
    const CBK_Path target(CBK_Path(path).GetFullPathString());
    tbx::FSRef ref;
    if (!target.GetFSRef(ref)) {
        // Made in its own folder, which must exist: never in some folder further up.
        tbx::FSRef folder;
        if (permission == tbx::fsRdPerm ||
            !CBK_Path(target.GetDirectoryString(true)).GetFSRef(folder))
            return nullptr;
        const std::wstring name = target.GetFilenameString(false);
        const std::u16string units = BK_NarrowToUnits(name.c_str(), name.size());
        if (tbx::FSCreateFileUnicode(&folder, units.size(), units.data(), 0, nullptr, &ref,
                                     nullptr) != tbx::noErr)
            return nullptr;
    }
    tbx::HFSUniStr255 forkName;
    tbx::FSGetDataForkName(&forkName);
    short fork = 0;
    if (tbx::FSOpenFork(&ref, forkName.length, forkName.unicode,
                        static_cast<tbx::SInt8>(permission), &fork) != tbx::noErr ||
        fork == 0)
        return nullptr;
    tbx::SInt64 size = 0;
    bool ok = tbx::FSGetForkSize(fork, &size) == tbx::noErr;
    // Devices report no size and need no emptying.
    if (ok && Truncates(mode) && size > 0)
        ok = tbx::FSSetForkSize(fork, tbx::fsFromStart, 0) == tbx::noErr;
    if (ok && (mode & (ios_base::ate | ios_base::app)))
        ok = tbx::FSSetForkPosition(fork, tbx::fsFromLEOF, 0) == tbx::noErr;
    if (!ok) {
        tbx::FSCloseFork(fork);
        return nullptr;
    }
    _fork = fork;
    _written = false;
    DropAreas();
    return this;
}

template <class CharT, class Traits>
TBK_MacCarbonFileBuf<CharT, Traits>* TBK_MacCarbonFileBuf<CharT, Traits>::close() {
    if (_fork == 0) {
        DropAreas();
        return nullptr;
    }
    bool ok = FlushOutput();
    if (_written && ok)
        ok = Unshift();
    _written = false;
    if (tbx::FSCloseFork(_fork) != tbx::noErr)
        ok = false;
    _fork = 0;
    DropAreas();
    return ok ? this : nullptr;
}

template <class CharT, class Traits>
void TBK_MacCarbonFileBuf<CharT, Traits>::imbue(const std::locale& loc) {
    _facet = &std::use_facet<std::codecvt<CharT, char, std::mbstate_t>>(loc);
    _noConversion = _facet->always_noconv();
}

template <class CharT, class Traits>
typename TBK_MacCarbonFileBuf<CharT, Traits>::Base*
TBK_MacCarbonFileBuf<CharT, Traits>::setbuf(CharT*, std::streamsize n) {
    _buffered = n != 0;
    return this;
}

template <class CharT, class Traits>
void TBK_MacCarbonFileBuf<CharT, Traits>::DropAreas() {
    this->setg(nullptr, nullptr, nullptr);
    this->setp(nullptr, nullptr);
    _rawInput.clear();
}

template <class CharT, class Traits>
bool TBK_MacCarbonFileBuf<CharT, Traits>::WriteBytes(const char* bytes, std::size_t count) {
    if (count == 0)
        return true;
    tbx::ByteCount put = 0;
    return tbx::FSWriteFork(_fork, tbx::fsAtMark, 0, count, bytes, &put) == tbx::noErr &&
           put == count;
}

template <class CharT, class Traits>
bool TBK_MacCarbonFileBuf<CharT, Traits>::FlushOutput() {
    CharT* begin = this->pbase();
    CharT* end = this->pptr();
    if (!begin || begin == end)
        return true;
    bool ok = true;
    if (_noConversion) {
        ok = WriteBytes(begin, std::size_t(end - begin));
    } else {
        const CharT* from = begin;
        char converted[4096];
        while (ok && from < end) {
            const CharT* next = from;
            char* toNext = converted;
            const auto result = _facet->out(_state, from, end, next, converted,
                                            converted + sizeof converted, toNext);
            if (result == std::codecvt_base::noconv)
                ok = WriteBytes(from, std::size_t(end - from)), next = end;
            else if (result == std::codecvt_base::error || (next == from && toNext == converted))
                ok = false;
            else
                ok = WriteBytes(converted, std::size_t(toNext - converted));
            from = next;
        }
    }
    // What could not be written is lost either way; the failure is what matters.
    this->setp(begin, this->epptr());
    return ok;
}

template <class CharT, class Traits>
bool TBK_MacCarbonFileBuf<CharT, Traits>::Unshift() {
    if (_noConversion)
        return true;
    for (int round = 0; round < 16; ++round) {
        char bytes[16];
        char* next = bytes;
        const auto result = _facet->unshift(_state, bytes, bytes + sizeof bytes, next);
        if (result == std::codecvt_base::error)
            return false;
        if (result == std::codecvt_base::noconv)
            return true;
        if (!WriteBytes(bytes, std::size_t(next - bytes)))
            return false;
        if (result == std::codecvt_base::ok)
            return true;
    }
    return false;
}

template <class CharT, class Traits>
bool TBK_MacCarbonFileBuf<CharT, Traits>::ForgetReadAhead() {
    if (!this->eback())
        return true;
    const std::streamsize unread = this->egptr() - this->gptr();
    if (unread > 0 || !_rawInput.empty()) {
        const int width = _facet->encoding();
        if (!_noConversion && width <= 0)
            return false;
        const tbx::SInt64 back =
            tbx::SInt64(unread) * (_noConversion ? 1 : width) + tbx::SInt64(_rawInput.size());
        if (tbx::FSSetForkPosition(_fork, tbx::fsFromMark, -back) != tbx::noErr)
            return false;
    }
    this->setg(nullptr, nullptr, nullptr);
    _rawInput.clear();
    return true;
}

template <class CharT, class Traits>
typename TBK_MacCarbonFileBuf<CharT, Traits>::int_type
TBK_MacCarbonFileBuf<CharT, Traits>::overflow(int_type c) {
    if (_fork == 0)
        return Traits::eof();
    if (_buffered && !this->pbase()) {
        if (!ForgetReadAhead())
            return Traits::eof();
        _buffer.resize(kBufferSize);
        this->setp(_buffer.data(), _buffer.data() + _buffer.size());
    }
    _written = true;
    if (!FlushOutput())
        return Traits::eof();
    if (Traits::eq_int_type(c, Traits::eof()))
        return Traits::not_eof(c);
    if (this->pbase()) {
        *this->pptr() = Traits::to_char_type(c);
        this->pbump(1);
        return c;
    }
    // Unbuffered: this one character goes out at once.
    CharT one = Traits::to_char_type(c);
    this->setp(&one, &one + 1);
    this->pbump(1);
    const bool ok = FlushOutput();
    this->setp(nullptr, nullptr);
    return ok ? c : Traits::eof();
}

template <class CharT, class Traits>
std::streamsize TBK_MacCarbonFileBuf<CharT, Traits>::xsputn(const CharT* s, std::streamsize n) {
    // Large runs go straight to the file once the pending bytes are out.
    if (_fork != 0 && _buffered && _noConversion && n >= std::streamsize(kBufferSize)) {
        if (!this->pbase() && Traits::eq_int_type(overflow(Traits::eof()), Traits::eof()))
            return 0;
        if (!FlushOutput())
            return 0;
        _written = true;
        return WriteBytes(s, std::size_t(n)) ? n : 0;
    }
    return Base::xsputn(s, n);
}

template <class CharT, class Traits>
int TBK_MacCarbonFileBuf<CharT, Traits>::sync() {
    if (_fork == 0)
        return -1;
    if (!FlushOutput())
        return -1;
    return tbx::FSFlushFork(_fork) == tbx::noErr ? 0 : -1;
}

template <class CharT, class Traits>
std::streamsize TBK_MacCarbonFileBuf<CharT, Traits>::showmanyc() {
    return this->eback() ? this->egptr() - this->gptr() : 0;
}

template <class CharT, class Traits>
typename TBK_MacCarbonFileBuf<CharT, Traits>::int_type
TBK_MacCarbonFileBuf<CharT, Traits>::ReadOne(bool peek) {
    char byte = 0;
    tbx::ByteCount got = 0;
    if (tbx::FSReadFork(_fork, tbx::fsAtMark, 0, 1, &byte, &got) != tbx::noErr || got != 1)
        return Traits::eof();
    if (peek && tbx::FSSetForkPosition(_fork, tbx::fsFromMark, -1) != tbx::noErr)
        return Traits::eof();
    return Traits::to_int_type(byte);
}

template <class CharT, class Traits>
bool TBK_MacCarbonFileBuf<CharT, Traits>::FillGetArea() {
    _buffer.resize(kBufferSize);
    CharT* base = _buffer.data();
    // Keep a few characters for putting back.
    std::size_t keep = 0;
    if (this->eback()) {
        keep = std::min<std::size_t>(kPutBack, std::size_t(this->gptr() - this->eback()));
        std::memmove(base, this->gptr() - keep, keep);
    }
    CharT* start = base + keep;
    const std::size_t room = _buffer.size() - keep;
    for (;;) {
        if (_noConversion) {
            tbx::ByteCount got = 0;
            const tbx::OSErr error = tbx::FSReadFork(_fork, tbx::fsAtMark, 0, room, start, &got);
            if (got == 0 || (error != tbx::noErr && error != tbx::eofErr))
                return false; // the end, or a read that failed
            this->setg(base, start, start + got);
            return true;
        }
        char raw[4096];
        tbx::ByteCount got = 0;
        const tbx::OSErr error = tbx::FSReadFork(_fork, tbx::fsAtMark, 0, sizeof raw, raw, &got);
        if (error != tbx::noErr && error != tbx::eofErr)
            return false;
        _rawInput.append(raw, got);
        const char* from = _rawInput.data();
        const char* next = from;
        CharT* to = start;
        const auto result =
            _facet->in(_state, from, from + _rawInput.size(), next, start, start + room, to);
        if (result == std::codecvt_base::error)
            return false;
        if (result == std::codecvt_base::noconv) {
            const std::size_t n = std::min(room, _rawInput.size());
            std::memcpy(start, _rawInput.data(), n);
            to = start + n;
            next = from + n;
        }
        _rawInput.erase(0, std::size_t(next - from));
        if (to > start) {
            this->setg(base, start, to);
            return true;
        }
        if (got == 0)
            return false;
    }
}

template <class CharT, class Traits>
typename TBK_MacCarbonFileBuf<CharT, Traits>::int_type
TBK_MacCarbonFileBuf<CharT, Traits>::underflow() {
    if (_fork == 0)
        return Traits::eof();
    if (this->gptr() && this->gptr() < this->egptr())
        return Traits::to_int_type(*this->gptr());
    if (this->pbase()) {
        if (!FlushOutput())
            return Traits::eof();
        this->setp(nullptr, nullptr);
    }
    _written = false;
    if (!_buffered)
        return ReadOne(true);
    if (!FillGetArea())
        return Traits::eof();
    return Traits::to_int_type(*this->gptr());
}

template <class CharT, class Traits>
typename TBK_MacCarbonFileBuf<CharT, Traits>::int_type
TBK_MacCarbonFileBuf<CharT, Traits>::uflow() {
    if (_fork == 0)
        return Traits::eof();
    if (!_buffered) {
        if (this->pbase() && !FlushOutput())
            return Traits::eof();
        _written = false;
        return ReadOne(false);
    }
    const int_type c = underflow();
    if (!Traits::eq_int_type(c, Traits::eof()))
        this->gbump(1);
    return c;
}

template <class CharT, class Traits>
typename TBK_MacCarbonFileBuf<CharT, Traits>::int_type
TBK_MacCarbonFileBuf<CharT, Traits>::pbackfail(int_type c) {
    if (_fork == 0)
        return Traits::eof();
    if (!_buffered && _noConversion) {
        if (Traits::eq_int_type(c, Traits::eof()))
            return Traits::eof();
        return tbx::FSSetForkPosition(_fork, tbx::fsFromMark, -1) == tbx::noErr ? c : Traits::eof();
    }
    if (!this->eback() || this->gptr() == this->eback())
        return Traits::eof();
    this->gbump(-1);
    if (Traits::eq_int_type(c, Traits::eof()))
        return Traits::not_eof(c);
    *this->gptr() = Traits::to_char_type(c);
    return c;
}

template <class CharT, class Traits>
typename TBK_MacCarbonFileBuf<CharT, Traits>::pos_type
TBK_MacCarbonFileBuf<CharT, Traits>::seekoff(off_type off, ios_base::seekdir dir,
                                             ios_base::openmode) {
    const pos_type failed = pos_type(off_type(-1));
    const int width = _noConversion ? 1 : _facet->encoding();
    if (_fork == 0 || (off != 0 && width <= 0))
        return failed;
    if (!FlushOutput())
        return failed;
    if (!(dir == ios_base::cur && off == 0) && _written && width < 0 && !Unshift())
        return failed;
    tbx::UInt16 origin;
    if (dir == ios_base::beg)
        origin = tbx::fsFromStart;
    else if (dir == ios_base::end)
        origin = tbx::fsFromLEOF;
    else if (dir == ios_base::cur)
        origin = tbx::fsFromMark;
    else
        return failed;
    // The logical position is the reader's, not the fork's read-ahead.
    if (!ForgetReadAhead())
        return failed;
    if (tbx::FSSetForkPosition(_fork, origin, tbx::SInt64(off) * (width > 0 ? width : 1)) !=
        tbx::noErr)
        return failed;
    DropAreas();
    _written = false;
    tbx::SInt64 position = 0;
    if (tbx::FSGetForkPosition(_fork, &position) != tbx::noErr)
        return failed;
    _state = std::mbstate_t();
    return pos_type(off_type(position));
}

template <class CharT, class Traits>
typename TBK_MacCarbonFileBuf<CharT, Traits>::pos_type
TBK_MacCarbonFileBuf<CharT, Traits>::seekpos(pos_type pos, ios_base::openmode mode) {
    const pos_type failed = pos_type(off_type(-1));
    if (_fork == 0 || !(mode & (ios_base::in | ios_base::out)))
        return failed;
    if (!FlushOutput())
        return failed;
    if ((mode & ios_base::out) && _written && !_noConversion && _facet->encoding() < 0 &&
        !Unshift())
        return failed;
    if (tbx::FSSetForkPosition(_fork, tbx::fsFromStart, tbx::SInt64(off_type(pos))) != tbx::noErr)
        return failed;
    DropAreas();
    _written = false;
    _state = pos.state();
    return pos;
}

template class TBK_MacCarbonFileBuf<char>;
