// Navigation Services over the test driver's scripted answers.
#include "platform/windows/navigation.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/files/fs_catalog.h"
#include "platform/text_encoding.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace {

std::u16string TextOf(CFStringRef string) {
    return string ? string->Text() : std::u16string();
}

OSStatus NewNavDialog(int kind, const NavDialogCreationOptions* options, NavEventUPP eventProc,
                      NavObjectFilterUPP filter, void* userData, NavDialogRef* outDialog) {
    if (!options || !outDialog)
        return paramErr;
    World& world = TheWorld();
    test::NavRecord record;
    record.kind = kind;
    record.title = TextOf(options->windowTitle);
    record.action = TextOf(options->actionButtonLabel);
    record.cancel = TextOf(options->cancelButtonLabel);
    record.message = TextOf(options->message);
    record.multiple = (options->optionFlags & kNavAllowMultipleFiles) != 0;
    record.parent = options->parentWindow;
    for (CFIndex i = 0; i < CFArrayGetCount(options->popupExtension); ++i) {
        auto value = static_cast<CFTypeRef>(CFArrayGetValueAtIndex(options->popupExtension, i));
        auto* string = dynamic_cast<const CFString*>(value);
        record.popup.push_back(string ? string->Text() : std::u16string());
    }
    auto dialog = std::make_unique<NavDialog>();
    dialog->kind = kind;
    dialog->eventProc = eventProc;
    dialog->filter = filter;
    dialog->userData = userData;
    dialog->editName = TextOf(options->saveFileName);
    dialog->record = world.navRecords.size();
    world.navRecords.push_back(std::move(record));
    *outDialog = world.navDialogs.Add(std::move(dialog));
    return *outDialog ? noErr : memFullErr;
}

bool RefOf(const std::string& path, FSRef& ref) {
    return FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &ref, nullptr) == noErr;
}

// Runs every item of the folder through the dialog's object filter, in name order.
std::vector<std::string> ListThroughFilter(NavDialogRef ref, const std::string& folder) {
    std::vector<std::filesystem::directory_entry> entries;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        entries.push_back(entry);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename() < b.path().filename();
    });
    std::vector<std::string> listed;
    for (const auto& entry : entries) {
        NavDialog* dialog = TheWorld().navDialogs.Get(ref);
        if (!dialog)
            break;
        const std::string name = entry.path().filename().string();
        if (name.rfind("._", 0) == 0)
            continue; // resource-fork sidecars are not items
        FSRef item;
        if (!RefOf(entry.path().string(), item))
            continue;
        NavFileOrFolderInfo info;
        info.isFolder = entry.is_directory(error);
        info.visible = name[0] != '.';
        FSCatalogInfo catalog;
        if (!info.isFolder && FSGetCatalogInfo(&item, kFSCatInfoFinderInfo, &catalog, nullptr,
                                               nullptr, nullptr) == noErr) {
            const FileInfo finder = GetFileInfo(catalog);
            info.fileType = finder.fileType;
            info.fileCreator = finder.fileCreator;
        }
        bool shown = true;
        if (dialog->filter) {
            AEDesc desc;
            AECreateFSRefDesc(item, &desc);
            shown = dialog->filter(&desc, &info, dialog->userData, kNavFilteringBrowserList);
            AEDisposeDesc(&desc);
        }
        if (shown)
            listed.push_back(name);
    }
    return listed;
}

} // namespace

OSStatus NavGetDefaultDialogCreationOptions(NavDialogCreationOptions* outOptions) {
    if (!outOptions)
        return paramErr;
    *outOptions = NavDialogCreationOptions{};
    return noErr;
}

OSStatus NavCreatePutFileDialog(const NavDialogCreationOptions* options, OSType fileType,
                                OSType fileCreator, NavEventUPP eventProc, void* userData,
                                NavDialogRef* outDialog) {
    const OSStatus status = NewNavDialog(0, options, eventProc, nullptr, userData, outDialog);
    if (status == noErr) {
        NavDialog* dialog = TheWorld().navDialogs.Get(*outDialog);
        dialog->fileType = fileType;
        dialog->fileCreator = fileCreator;
    }
    return status;
}

OSStatus NavCreateGetFileDialog(const NavDialogCreationOptions* options, NavTypeListHandle,
                                NavEventUPP eventProc, NavPreviewUPP, NavObjectFilterUPP filterProc,
                                void* userData, NavDialogRef* outDialog) {
    return NewNavDialog(1, options, eventProc, filterProc, userData, outDialog);
}

OSStatus NavCreateChooseFileDialog(const NavDialogCreationOptions* options, NavTypeListHandle,
                                   NavEventUPP eventProc, NavPreviewUPP,
                                   NavObjectFilterUPP filterProc, void* userData,
                                   NavDialogRef* outDialog) {
    return NewNavDialog(2, options, eventProc, filterProc, userData, outDialog);
}

OSStatus NavCreateChooseFolderDialog(const NavDialogCreationOptions* options, NavEventUPP eventProc,
                                     NavObjectFilterUPP filterProc, void* userData,
                                     NavDialogRef* outDialog) {
    return NewNavDialog(3, options, eventProc, filterProc, userData, outDialog);
}

OSStatus NavDialogRun(NavDialogRef ref) {
    World& world = TheWorld();
    NavDialog* dialog = world.navDialogs.Get(ref);
    if (!dialog)
        return paramErr;
    dialog->valid = false;
    dialog->chosen.clear();
    if (world.navAnswers.empty()) {
        ReportFailure("file dialog '" + text::Utf16ToUtf8(world.navRecords[dialog->record].title) +
                      "' waits with no scripted answer");
        return noErr;
    }
    const test::NavAnswer answer = world.navAnswers.front();
    world.navAnswers.pop_front();
    if (answer.popupItem >= 0 && dialog->eventProc) {
        NavMenuItemSpec item;
        item.menuCreator = FourCC("extn");
        item.menuType = static_cast<OSType>(answer.popupItem);
        NavCBRec record;
        record.context = ref;
        record.param = &item;
        dialog->eventProc(kNavCBPopupMenuSelect, &record, dialog->userData);
    }
    if (!answer.listFolder.empty()) {
        std::vector<std::string> listed = ListThroughFilter(ref, answer.listFolder);
        if (world.navDialogs.Get(ref))
            world.navRecords[world.navDialogs.Get(ref)->record].listed = std::move(listed);
    }
    dialog = world.navDialogs.Get(ref);
    if (!dialog || answer.cancel)
        return noErr;
    if (dialog->kind == 0) {
        if (answer.hasName)
            dialog->editName = answer.name;
        FSRef folder;
        if (RefOf(answer.folder, folder))
            dialog->chosen.push_back(folder);
    } else {
        for (const std::string& path : answer.paths) {
            FSRef item;
            if (RefOf(path, item))
                dialog->chosen.push_back(item);
        }
    }
    world.navRecords[dialog->record].name = dialog->editName;
    dialog->valid = !dialog->chosen.empty();
    return noErr;
}

OSStatus NavDialogGetReply(NavDialogRef ref, NavReplyRecord* outReply) {
    NavDialog* dialog = TheWorld().navDialogs.Get(ref);
    if (!dialog)
        return paramErr;
    if (!outReply)
        return paramErr;
    *outReply = NavReplyRecord{};
    outReply->validRecord = dialog->valid;
    if (!dialog->valid)
        return userCanceledErr;
    AECreateFSRefList(dialog->chosen, &outReply->selection);
    if (dialog->kind == 0)
        outReply->saveFileName = new CFString(dialog->editName);
    return noErr;
}

OSStatus NavDisposeReply(NavReplyRecord* reply) {
    if (!reply)
        return paramErr;
    AEDisposeDesc(&reply->selection);
    CFRelease(reply->saveFileName);
    reply->saveFileName = nullptr;
    reply->validRecord = false;
    return noErr;
}

void NavDialogDispose(NavDialogRef dialog) {
    TheWorld().navDialogs.Remove(dialog);
}

OSStatus NavCustomControl(NavDialogRef ref, SInt32 selector, void* parms) {
    NavDialog* dialog = TheWorld().navDialogs.Get(ref);
    if (!dialog)
        return paramErr;
    auto* string = static_cast<CFStringRef*>(parms);
    if (!string)
        return paramErr;
    if (selector == kNavCtlGetEditFileName) {
        *string = new CFString(dialog->editName);
        return noErr;
    }
    if (selector == kNavCtlSetEditFileName) {
        dialog->editName = TextOf(*string);
        return noErr;
    }
    return paramErr;
}

} // namespace tbx
