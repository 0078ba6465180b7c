// What to do about a file that a project refers to but that is missing: the relocate prompt,
// the file finder that lets the user pick the file, and the locators of sibling products'
// libraries.
#pragma once

#include <cstdint>

#include "core/paths/path.h"
#include "ui/base/dialog.h"
#include "ui/controls/button.h"
#include "ui/controls/static_text.h"

// Answers of the relocate prompt besides 'ok  ' (relocate) and 'not!' (cancel).
enum : int32_t {
    kBK_DontRelocate = 1001,
    kBK_RelocateReplace = 1002,
};

class CBK_FileRelocatePromptDialog : public CBK_Dialog {
public:
    struct SETTINGS {
        const wchar_t* title = nullptr;
        const wchar_t* message = nullptr;
    };

    CBK_FileRelocatePromptDialog(CBK_Path& path, SETTINGS& settings)
        : m_pPath(&path), m_pSettings(&settings) {}

    // -1 when it cannot be shown.
    using CBK_Dialog::DoModal;
    int32_t DoModal(tbx::WindowRef parent);
    bool OnInit() override;
    bool OnCommand(uint32_t command, tbx::EventRef& event) override;

private:
    [[maybe_unused]] CBK_Path* m_pPath; // kept for the caller; the message comes from the settings
    CBK_ControlStaticText m_Message;
    CBK_ControlButton m_Relocate;
    CBK_ControlButton m_Cancel;
    CBK_ControlButton m_DontRelocate;
    CBK_ControlButton m_Replace;
    SETTINGS* m_pSettings;
};

class CBK_FileRelocateDialog {
public:
    // A choose-file dialog that lists folders and the files named as the missing one (without
    // regard to case); true and `found` set when a file was picked.
    bool DoModal(CBK_Path& missing, CBK_Path& found, tbx::WindowRef parent);
    // The missing file's name in the remembered folders, in the order they were added.
    static bool FindFile(CBK_Path& missing, CBK_Path& found);
    // Remembers the folder of a found file.
    static void AddFoundPath(CBK_Path& found);
    static void ResetFoundPaths();

private:
    CBK_Path m_MissingPath;
};

// Ask where a sibling product is and build the path of its library; true only when that file
// exists, `out` unchanged otherwise. Kestrow: the file finder, for the application its
// preferences name; the library lies beside it. The others: a folder that holds the library.
bool BK_RelocateKestrowDll(CBK_Path& out, tbx::WindowRef parent);
bool BK_RelocateDunmereDll(CBK_Path& out, tbx::WindowRef parent);
bool BK_RelocateQuorbelDll(CBK_Path& out, tbx::WindowRef parent);
