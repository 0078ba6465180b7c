// One-frame movies around compiled scripts, written through the SWF file writer.
#pragma once

#include "ascompiler/driver/action_script_compiler.h"
#include "core/paths/path.h"
#include "swf/tags/control_tags.h"
#include "swf/writer/swf_file_writer.h"

#include <filesystem>
#include <string>

namespace stravel::testing {

// Compiles `script` for SWF 6 and writes it as the one frame of a movie; false when the
// script does not compile or the file cannot be written.
inline bool WriteScriptMovie(const std::string& script, const std::filesystem::path& path) {
    CBK_ActionScriptCompiler compiler;
    compiler.SetScript(std::wstring(script.begin(), script.end()).c_str());
    ravuz::CBK_SwfTag* tag = compiler.Compile(6);
    if (!tag)
        return false;
    ravuz::CBK_SwfFileWriter writer;
    writer.Create(100, 100, 12.0f, 6);
    if (!writer.Open(CBK_Path(path.wstring()), true)) {
        delete tag;
        return false;
    }
    writer.Add(tag);
    writer.Add(new ravuz::CBK_SwfShowFrame());
    writer.Add(new ravuz::CBK_SwfEnd());
    return writer.Close() > 0;
}

} // namespace stravel::testing
