#include "ascompiler/driver/action_script_compiler.h"

#include "ascompiler/service/as_parser.h"
#include "core/paths/path.h"
#include "core/strings/string_functions.h"
#include "platform/text_encoding.h"
#include "swf/base/tag_codes.h"
#include "swf/stream/swf_reader.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>

namespace {

constexpr size_t kWrapperOverhead = 57;
// Formatting gives up once the scratch buffer would pass this many characters.
constexpr size_t kMaxFormatted = size_t(1) << 24;

// Formats into a buffer that doubles while the text does not fit; false when it never fits
// within the cap (then `out` is untouched).
bool FormatWide(std::wstring& out, size_t initial, const wchar_t* format, va_list args) {
    if (!format)
        return false;
    for (size_t size = initial; size <= kMaxFormatted; size *= 2) {
        std::vector<wchar_t> buffer(size);
        buffer[0] = 0;
        va_list attempt;
        va_copy(attempt, args);
        const int written = std::vswprintf(buffer.data(), size, format, attempt);
        va_end(attempt);
        if (written >= 0) {
            out.assign(buffer.data(), static_cast<size_t>(written));
            return true;
        }
    }
    return false;
}

void PutWord(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutLong(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    PutWord(bytes, at, value & 0xFFFF);
    PutWord(bytes, at + 2, value >> 16);
}

// Makes `bytes` the one-frame movie around `length` bytes of code, their place zero, and
// returns where the code goes.
size_t WrapActionSpace(std::vector<uint8_t>& bytes, size_t length, long swfVersion) {
    bytes.assign(length + kWrapperOverhead, 0);
    bytes[0] = 'F';
    bytes[1] = 'W';
    bytes[2] = 'S';
    bytes[3] = static_cast<uint8_t>(swfVersion & 0xFF);
    PutLong(bytes, 4, static_cast<uint32_t>(bytes.size()));
    const uint8_t frame[] = {0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00};
    std::copy(std::begin(frame), std::end(frame), bytes.begin() + 8);
    PutWord(bytes, 17, 12 << 8); // 12 frames a second, 8.8 fixed point
    PutWord(bytes, 19, 1);
    size_t at = 21;
    if (length <= 62) {
        PutWord(bytes, at, 0x0300 + static_cast<uint32_t>(length));
        at += 2;
    } else {
        PutWord(bytes, at, 0x033F);
        PutLong(bytes, at + 2, static_cast<uint32_t>(length));
        at += 6;
    }
    return at;
}

} // namespace

std::vector<uint8_t> BK_WrapActionCode(const std::vector<uint8_t>& code, long swfVersion) {
    std::vector<uint8_t> bytes;
    const size_t at = WrapActionSpace(bytes, code.size(), swfVersion);
    std::copy(code.begin(), code.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
}

void CBK_ActionScriptCompiler::SetScript(const wchar_t* text) {
    _script = text ? text : L"";
}

void CBK_ActionScriptCompiler::AppendScript(const wchar_t* text) {
    if (text)
        _script += text;
}

void CBK_ActionScriptCompiler::SetScriptFormat(const wchar_t* format, ...) {
    if (!format)
        return;
    std::wstring text;
    va_list args;
    va_start(args, format);
    const bool ok = FormatWide(text, std::wcslen(format) + 64, format, args);
    va_end(args);
    if (ok)
        _script = std::move(text);
}

void CBK_ActionScriptCompiler::AppendScriptFormat(const wchar_t* format, ...) {
    std::wstring text;
    va_list args;
    va_start(args, format);
    const bool ok = FormatWide(text, 256, format, args);
    va_end(args);
    if (ok)
        _script += text;
}

void CBK_ActionScriptCompiler::DumpScript(const wchar_t* fileName) {
    CBK_Path path;
    if (!path.MakeAppLevelPath(fileName, false))
        return;
    path.CreateFile(nullptr, true);
    FILE* file = path.OpenAsStdFile(L"w");
    if (!file)
        return;
    const std::string text = BK_StringWideToAnsi(_script);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

std::string BK_ScriptText(const std::wstring& script) {
    // Scripts are mostly ASCII: a whole text of it is narrowed in one plain pass (both loops
    // vectorise); other text is written in place until its first other character.
    std::string out(script.size(), '\0');
    uint32_t bits = 0;
    for (wchar_t c : script)
        bits |= static_cast<uint32_t>(c);
    if (bits < 0x80) {
        std::transform(script.begin(), script.end(), out.begin(),
                       [](wchar_t c) { return static_cast<char>(c); });
        return out;
    }
    size_t i = 0;
    for (; i < script.size() && static_cast<uint32_t>(script[i]) < 0x80; ++i)
        out[i] = static_cast<char>(script[i]);
    out.resize(i);
    for (; i < script.size(); ++i)
        tbx::text::AppendUtf8Escaped(out, static_cast<char32_t>(script[i]));
    return out;
}

ravuz::CBK_SwfTag* CBK_ActionScriptCompiler::Compile(long swfVersion) {
    if (_script.empty())
        return nullptr;
    std::unique_ptr<translate::ASParser, translate::Destroyer> parser(Parser());
    const std::string text = BK_ScriptText(_script);
    std::unique_ptr<translate::ASNode, translate::Destroyer> tree(parser->parse(text.c_str()));
    if (!tree)
        return nullptr;
    const int length = parser->compile(tree.get(), static_cast<int>(swfVersion));
    // The code generator refused the script: no tag rather than a broken one.
    if (parser->getError() != 0)
        return nullptr;
    // The code goes straight into its place in the movie that carries it.
    std::vector<uint8_t> movie;
    const size_t at = WrapActionSpace(movie, static_cast<size_t>(length), swfVersion);
    parser->getCode(movie.data() + at);
    return BK_ReadActionTag(movie);
}

ravuz::CBK_SwfTag* BK_ReadActionTag(const std::vector<uint8_t>& movie) {
    ravuz::CBK_SwfReader reader;
    if (!reader.CreateFromBuffer(movie.data(), movie.size(), true,
                                 static_cast<uint32_t>(std::min<size_t>(movie.size(), UINT32_MAX)),
                                 false))
        return nullptr;
    // Tag by tag as the reader parses them, but without proving that each writes back
    // stably: the code is our own generator's, and the proof would read it twice more.
    const uint32_t end = reader.GetDataSize();
    while (ravuz::CBK_SwfTag* tag = ravuz::CBK_SwfReader::ReadTagAt(reader, end, false, false)) {
        if (tag->GetTagId() == ravuz::kSwfTagDoAction)
            return tag;
        delete tag;
    }
    return nullptr;
}
