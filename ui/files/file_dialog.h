// CBK_FileDialog: the save, open, choose-file and choose-folder dialogs of Navigation Services,
// run from one settings record; the chosen paths come back in a result record.
#pragma once

#include <cstdint>
#include <vector>

#include "core/paths/path.h"
#include "platform/windows/navigation.h"
#include "ui/files/file_filter.h"

class CBK_FileDialog {
public:
    enum FILEDLG_TYPE : int32_t {
        FILEDLG_SAVE = 0,
        FILEDLG_OPEN = 1,
        FILEDLG_CHOOSE_FILE = 2,
        FILEDLG_CHOOSE_FOLDER = 3,
    };

    // Pointers are borrowed.
    struct FILEDLG_SETTINGS_TYPE {
        const wchar_t* defaultExtension = nullptr;
        CBK_FileFilter* filter = nullptr;
        uint32_t fileCreator = 0x2A2A2A2A; // '****'
        uint32_t fileType = 0x2A2A2A2A;
        const wchar_t* defaultName = nullptr;
        const wchar_t* title = nullptr;
        const wchar_t* actionButton = nullptr;
        const wchar_t* cancelButton = nullptr;
        const wchar_t* message = nullptr;
        bool multipleSelection = false;
    };

    struct FILEDLG_RESULT_TYPE {
        int32_t filterIndex = 0;
        int32_t count = 0;
        CBK_Path path;
        std::vector<CBK_Path> morePaths;
        bool valid = false;
    };

    explicit CBK_FileDialog(FILEDLG_TYPE type) : m_nType(type) {}
    CBK_FileDialog(const CBK_FileDialog&) = delete;
    CBK_FileDialog& operator=(const CBK_FileDialog&) = delete;
    virtual ~CBK_FileDialog() = default;

    static void GetDefaultSettings(FILEDLG_SETTINGS_TYPE& settings) { settings = {}; }
    void SetDefaultSettings() { m_Settings = {}; }
    void SetSettings(const FILEDLG_SETTINGS_TYPE& settings) { m_Settings = settings; }

    // True when the user confirmed and every chosen item became a path. A typed save name
    // that is not a plain file name ("a/b", ".", "..", empty) gives no path.
    bool DoModal(FILEDLG_RESULT_TYPE& result, tbx::WindowRef parent,
                 FILEDLG_SETTINGS_TYPE* settings);
    // In a save dialog also gives the proposed name the extension of the entry (-1: the
    // default extension).
    void SetFilterIndex(int32_t index);
    int32_t GetFilterIndex() const { return m_nFilterIndex; }
    virtual void OnNavEventProc(int32_t, tbx::NavCBRec*) {}
    // Whether the item is listed.
    virtual bool OnNavFilterProc(tbx::AEDesc* item, void* info, int16_t mode);

protected:
    int32_t m_nFilterIndex = 0;
    tbx::NavDialogRef m_hDialog = nullptr;
    FILEDLG_TYPE m_nType;
    FILEDLG_SETTINGS_TYPE m_Settings;
};

class CBK_FileSaveDialog : public CBK_FileDialog {
public:
    CBK_FileSaveDialog() : CBK_FileDialog(FILEDLG_SAVE) {}
};

class CBK_FileOpenDialog : public CBK_FileDialog {
public:
    CBK_FileOpenDialog() : CBK_FileDialog(FILEDLG_OPEN) {}
};

class CBK_FileChooseDialog : public CBK_FileDialog {
public:
    CBK_FileChooseDialog() : CBK_FileDialog(FILEDLG_CHOOSE_FILE) {}
};

class CBK_FolderChooseDialog : public CBK_FileDialog {
public:
    CBK_FolderChooseDialog() : CBK_FileDialog(FILEDLG_CHOOSE_FOLDER) {}
};

void BK_FileDialogDefaultEventProc(tbx::NavEventCallbackMessage selector, tbx::NavCBRec* record,
                                   void* dialog);
tbx::Boolean BK_FileDialog_FilterProc(tbx::AEDesc* item, void* info, void* dialog,
                                      tbx::NavFilterModes mode);
// The URL of item n (from 1) of a reply, owned by the caller; null when it has none.
tbx::CFURLRef BK_GetCFURLFromNavReply(const tbx::NavReplyRecord& reply, int32_t n);
// Writes an empty text.
bool BK_GetFileExtension(tbx::FSSpec& file, wchar_t* out);
