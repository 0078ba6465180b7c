// CBK_ActionScriptCompiler: script text collected piece by piece, compiled into a DoAction
// tag for a SWF version.
#pragma once

#include "swf/base/swf_tag.h"

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

class CBK_ActionScriptCompiler {
public:
    CBK_ActionScriptCompiler() = default;

    void SetScript(const wchar_t* text);
    void AppendScript(const wchar_t* text);
    // printf-style formatting; when the text cannot be formatted the script is unchanged.
    void SetScriptFormat(const wchar_t* format, ...);
    void AppendScriptFormat(const wchar_t* format, ...);
    void Clear() { _script.clear(); }
    // Writes the text into a file of that name beside the application.
    void DumpScript(const wchar_t* fileName);

    // A new DoAction tag owned by the caller; null for empty text or text that does not
    // compile. Below version 5 the tag has no actions.
    ravuz::CBK_SwfTag* Compile(long swfVersion);

    const std::wstring& GetScript() const { return _script; }

private:
    std::wstring _script;
};

// The script as the compiler reads it: UTF-8, whatever the movie's version (the code
// generator gives SWF 5 movies their text in the locale's encoding); a byte escape becomes
// its byte again.
std::string BK_ScriptText(const std::wstring& script);

// The one-frame movie that carries action code through the SWF reader: header, one
// DoAction record (short header up to 62 bytes of code), and a zero tail.
std::vector<uint8_t> BK_WrapActionCode(const std::vector<uint8_t>& code, long swfVersion);

// The DoAction tag read back from such a movie, owned by the caller; null when it holds none.
ravuz::CBK_SwfTag* BK_ReadActionTag(const std::vector<uint8_t>& movie);
