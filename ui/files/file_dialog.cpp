#include "ui/files/file_dialog.h"

#include "core/files/file_functions.h"
#include "core/strings/cf_string.h"
#include "platform/files/cf_url.h"
#include "platform/resources/resource_files.h"

namespace {

// A name that stays inside the folder it is joined to.
bool IsPlainName(const std::u16string& name) {
    return !name.empty() && name != u"." && name != u".." &&
           name.find_first_of(std::u16string(u"/\0", 2)) == std::u16string::npos;
}

// Keeps the system strings given to a dialog until it is disposed of.
struct Strings {
    CBK_CFString texts[6];
    tbx::CFStringRef Set(int i, const wchar_t* text) {
        if (!text)
            return nullptr;
        texts[i].Set(text);
        return texts[i].Get();
    }
};

} // namespace

bool CBK_FileDialog::DoModal(FILEDLG_RESULT_TYPE& result, tbx::WindowRef parent,
                             FILEDLG_SETTINGS_TYPE* settings) {
    result.valid = false;
    if (settings)
        m_Settings = *settings;
    CBK_FileFilter* filter = m_Settings.filter;
    // The index kept from an earlier run may not fit the filter of this one.
    if (!filter || m_nFilterIndex < 0 || m_nFilterIndex >= filter->GetFilterCount())
        m_nFilterIndex = 0;
    const tbx::SInt16 resourceFile = tbx::CurResFile();
    tbx::NavDialogCreationOptions options;
    if (tbx::NavGetDefaultDialogCreationOptions(&options) != tbx::noErr)
        return false;
    Strings strings;
    if (m_Settings.multipleSelection)
        options.optionFlags |= tbx::kNavAllowMultipleFiles;
    options.parentWindow = parent;
    options.modality = parent ? tbx::kWindowModalityWindowModal : tbx::kWindowModalityAppModal;
    options.windowTitle = strings.Set(0, m_Settings.title);
    options.actionButtonLabel = strings.Set(1, m_Settings.actionButton);
    options.cancelButtonLabel = strings.Set(2, m_Settings.cancelButton);
    options.message = strings.Set(3, m_Settings.message);
    options.saveFileName = strings.Set(4, m_Settings.defaultName);
    tbx::CFMutableArrayRef popup = nullptr;
    if ((m_nType == FILEDLG_SAVE || m_nType == FILEDLG_OPEN) && filter &&
        filter->GetFilterCount() > 0) {
        popup = tbx::CFArrayCreateMutable(nullptr, 0, &tbx::kCFTypeArrayCallBacks);
        filter->BuildCFArray(popup);
        options.popupExtension = popup;
    }
    tbx::OSStatus status = tbx::paramErr;
    m_hDialog = nullptr;
    switch (m_nType) {
    case FILEDLG_SAVE:
        status = tbx::NavCreatePutFileDialog(&options, m_Settings.fileType, m_Settings.fileCreator,
                                             BK_FileDialogDefaultEventProc, this, &m_hDialog);
        break;
    case FILEDLG_OPEN:
        status = tbx::NavCreateGetFileDialog(&options, nullptr, BK_FileDialogDefaultEventProc,
                                             nullptr, BK_FileDialog_FilterProc, this, &m_hDialog);
        break;
    case FILEDLG_CHOOSE_FILE:
        status =
            tbx::NavCreateChooseFileDialog(&options, nullptr, BK_FileDialogDefaultEventProc,
                                           nullptr, BK_FileDialog_FilterProc, this, &m_hDialog);
        break;
    case FILEDLG_CHOOSE_FOLDER:
        status = tbx::NavCreateChooseFolderDialog(&options, BK_FileDialogDefaultEventProc, nullptr,
                                                  this, &m_hDialog);
        break;
    }
    if (status != tbx::noErr) {
        tbx::CFRelease(popup);
        m_hDialog = nullptr;
        return false;
    }
    tbx::NavDialogRun(m_hDialog);
    tbx::CFRelease(popup);

    bool converted = true;
    tbx::NavReplyRecord reply;
    const bool valid = tbx::NavDialogGetReply(m_hDialog, &reply) == tbx::noErr && reply.validRecord;
    if (valid) {
        result.filterIndex = m_nFilterIndex;
        result.count = 0;
        result.morePaths.clear();
        tbx::SInt32 count = 0;
        tbx::AECountItems(&reply.selection, &count);
        for (tbx::SInt32 n = 1; n <= count; ++n) {
            tbx::CFURLRef url = BK_GetCFURLFromNavReply(reply, n);
            if (url && m_nType == FILEDLG_SAVE) {
                const std::u16string name =
                    reply.saveFileName ? reply.saveFileName->Text() : std::u16string();
                tbx::CFURLRef folder = url;
                url = IsPlainName(name) ? tbx::CFURLCreateCopyAppendingPathComponent(
                                              nullptr, folder, reply.saveFileName, false)
                                        : nullptr;
                tbx::CFRelease(folder);
            }
            if (!url) {
                converted = false;
                continue;
            }
            CBK_Path path(url);
            tbx::CFRelease(url);
            if (result.count == 0)
                result.path = path;
            else
                result.morePaths.push_back(path);
            ++result.count;
            result.valid = true;
        }
    }
    tbx::NavDisposeReply(&reply);
    tbx::NavDialogDispose(m_hDialog);
    m_hDialog = nullptr;
    tbx::UseResFile(resourceFile);
    return valid && converted && result.valid;
}

void CBK_FileDialog::SetFilterIndex(int32_t index) {
    m_nFilterIndex = index;
    if (m_nType != FILEDLG_SAVE || !m_hDialog)
        return;
    tbx::CFStringRef current = nullptr;
    if (tbx::NavCustomControl(m_hDialog, tbx::kNavCtlGetEditFileName, &current) != tbx::noErr)
        return;
    std::wstring name = CBK_CFString(current).GetUnicodeString();
    const wchar_t* extension = index == -1         ? m_Settings.defaultExtension
                               : m_Settings.filter ? m_Settings.filter->GetExtension(index)
                                                   : nullptr;
    if (!extension)
        return;
    BK_ChangeFileExtension(name, extension);
    CBK_CFString changed(name.c_str());
    tbx::CFStringRef text = changed.Get();
    tbx::NavCustomControl(m_hDialog, tbx::kNavCtlSetEditFileName, &text);
}

bool CBK_FileDialog::OnNavFilterProc(tbx::AEDesc* item, void* info, int16_t) {
    const auto* file = static_cast<const tbx::NavFileOrFolderInfo*>(info);
    CBK_FileFilter* filter = m_Settings.filter;
    if (!file || file->isFolder || !filter)
        return true;
    const CBK_FileFilter::FILTER_TYPE* entry = filter->GetFilter(m_nFilterIndex);
    if (!entry)
        return false;
    if (entry->HasFilter(file->fileType))
        return true;
    tbx::FSRef ref;
    if (!item || item->descriptorType != tbx::typeFSRef ||
        tbx::AEGetDescData(item, &ref, sizeof ref) != tbx::noErr)
        return false;
    const std::wstring extension = CBK_Path(ref).GetExtensionString(false);
    return entry->HasExtension(extension.c_str());
}

void BK_FileDialogDefaultEventProc(tbx::NavEventCallbackMessage selector, tbx::NavCBRec* record,
                                   void* dialog) {
    auto* self = static_cast<CBK_FileDialog*>(dialog);
    if (!self || !record || selector != tbx::kNavCBPopupMenuSelect)
        return;
    const auto* item = static_cast<const tbx::NavMenuItemSpec*>(record->param);
    if (item && item->menuCreator == tbx::FourCC("extn"))
        self->SetFilterIndex(static_cast<int32_t>(item->menuType));
    else
        self->SetFilterIndex(-1);
}

tbx::Boolean BK_FileDialog_FilterProc(tbx::AEDesc* item, void* info, void* dialog,
                                      tbx::NavFilterModes mode) {
    auto* self = static_cast<CBK_FileDialog*>(dialog);
    return !self || self->OnNavFilterProc(item, info, mode);
}

tbx::CFURLRef BK_GetCFURLFromNavReply(const tbx::NavReplyRecord& reply, int32_t n) {
    tbx::FSRef ref;
    if (tbx::AEGetNthPtr(&reply.selection, n, tbx::typeFSRef, nullptr, nullptr, &ref, sizeof ref,
                         nullptr) != tbx::noErr)
        return nullptr;
    return tbx::CFURLCreateFromFSRef(nullptr, &ref);
}

bool BK_GetFileExtension(tbx::FSSpec&, wchar_t* out) {
    if (out)
        out[0] = 0;
    return true;
}
