// One-frame movies around compiled scripts, written through the SWF file writer.
#pragma once

#include "ascompiler/driver/action_script_compiler.h"
#include "core/paths/path.h"
#include "platform/text_encoding.h"
#include "swf/tags/control_tags.h"
#include "swf/writer/swf_file_writer.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace stravel::testing {

// Script text written as UTF-8, as the compiler's callers hold it.
inline std::wstring WideScript(const std::string& utf8) {
    const std::u32string text = tbx::text::Utf8ToUtf32Escaped(utf8);
    return std::wstring(text.begin(), text.end());
}

// Compiles each script for `version` and writes them in order as the DoAction tags of the
// movie's one frame; false when a script does not compile or the file cannot be written.
inline bool WriteScriptsMovie(const std::vector<std::string>& scripts,
                              const std::filesystem::path& path, int version = 6) {
    std::vector<std::unique_ptr<ravuz::CBK_SwfTag>> tags;
    for (const std::string& script : scripts) {
        CBK_ActionScriptCompiler compiler;
        compiler.SetScript(WideScript(script).c_str());
        tags.emplace_back(compiler.Compile(version));
        if (!tags.back())
            return false;
    }
    ravuz::CBK_SwfFileWriter writer;
    writer.Create(100, 100, 12.0f, version);
    if (!writer.Open(CBK_Path(path.wstring()), true))
        return false;
    for (auto& tag : tags)
        writer.Add(tag.release());
    writer.Add(new ravuz::CBK_SwfShowFrame());
    writer.Add(new ravuz::CBK_SwfEnd());
    return writer.Close() > 0;
}

inline bool WriteScriptMovie(const std::string& script, const std::filesystem::path& path,
                             int version = 6) {
    return WriteScriptsMovie({script}, path, version);
}

} // namespace stravel::testing
