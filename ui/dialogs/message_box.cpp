#include "ui/dialogs/message_box.h"

#include <cstdarg>
#include <string>

#include "core/strings/cf_string.h"
#include "core/strings/format.h"
#include "core/strings/string_functions.h"
#include "platform/gestalt.h"
#include "platform/windows/alerts.h"
#include "platform/windows/controls.h"
#include "platform/windows/cursors.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"
#include "ui/common/localized_text.h"

namespace {

// The sheet's pump waits this long for each event, so it does not spin.
constexpr tbx::EventTimeout kSheetPumpTimeout = 0.1;

constexpr int32_t kButtonSets[] = {
    kBK_MB_OK,          kBK_MB_OKCANCEL, kBK_MB_RETRYCANCEL,     kBK_MB_YESNO,
    kBK_MB_YESNOCANCEL, kBK_MB_SAVE,     kBK_MB_ABORTRETRYIGNORE};

// The button set in force: the first bit in table order; 0 for a single OK button.
int32_t ButtonSet(int32_t flags, bool ignoreOkOnly) {
    for (int32_t set : kButtonSets) {
        if (ignoreOkOnly && set == kBK_MB_OK)
            continue;
        if (flags & set)
            return set;
    }
    return 0;
}

tbx::AlertType Icon(int32_t flags) {
    if (flags & kBK_MB_ICONSTOP)
        return tbx::kAlertStopAlert;
    if (flags & kBK_MB_ICONCAUTION)
        return tbx::kAlertCautionAlert;
    if (flags & kBK_MB_ICONNOTE)
        return tbx::kAlertNoteAlert;
    return tbx::kAlertPlainAlert;
}

std::wstring Text(int32_t stringId) {
    return BK_LocalizedText(stringId).value_or(L"");
}

// The three button texts of a set (default, cancel, other); empty for no button.
struct Buttons {
    std::wstring texts[3];
};

Buttons ButtonsOf(int32_t set) {
    switch (set) {
    case kBK_MB_OKCANCEL:
        return {{Text(10026), Text(10027), L""}};
    case kBK_MB_RETRYCANCEL:
        return {{L"Retry", Text(10027), L""}};
    case kBK_MB_YESNO:
        return {{Text(10024), Text(10025), L""}};
    case kBK_MB_YESNOCANCEL:
        return {{Text(10024), Text(10027), Text(10025)}};
    case kBK_MB_SAVE:
        return {{L"Save", L"Cancel", L"Don't Save"}};
    case kBK_MB_ABORTRETRYIGNORE:
        return {{L"Retry", L"Ignore", L"Abort"}};
    default:
        return {};
    }
}

// The answer to the item hit in a box of the set; item 0 means it could not be shown.
int32_t Answer(int32_t set, int item) {
    if (item <= 0)
        return kBK_IDCANCEL;
    switch (set) {
    case kBK_MB_OK:
        return kBK_IDOK;
    case kBK_MB_OKCANCEL:
        return item == 1 ? kBK_IDOK : kBK_IDCANCEL;
    case kBK_MB_YESNO:
        return item == 1 ? kBK_IDOK : item == 2 ? kBK_IDNO : kBK_IDCANCEL;
    case kBK_MB_YESNOCANCEL:
    case kBK_MB_SAVE:
    case kBK_MB_ABORTRETRYIGNORE:
        return item == 1 ? kBK_IDOK : item == 3 ? kBK_IDNO : kBK_IDCANCEL;
    default:
        return item == 1 ? kBK_IDOK : kBK_IDCANCEL;
    }
}

void FillParams(tbx::AlertStdCFStringAlertParamRec& param, const Buttons& buttons,
                CBK_CFString (&texts)[3]) {
    tbx::GetStandardAlertDefaultParams(&param, tbx::kStdCFStringAlertVersionOne);
    param.movable = true;
    param.helpButton = false;
    param.defaultButton = tbx::kAlertStdAlertOKButton;
    for (int i = 0; i < 3; ++i)
        if (!buttons.texts[i].empty())
            texts[i].Set(buttons.texts[i].c_str());
    param.defaultText = buttons.texts[0].empty() ? nullptr : texts[0].Get();
    param.cancelText = buttons.texts[1].empty() ? nullptr : texts[1].Get();
    param.otherText = buttons.texts[2].empty() ? nullptr : texts[2].Get();
    if (param.cancelText)
        param.cancelButton = tbx::kAlertStdAlertCancelButton;
}

int32_t ModalAlert(int32_t flags, int32_t set, const std::wstring& title,
                   const std::wstring& text) {
    CBK_CFString buttonTexts[3];
    tbx::AlertStdCFStringAlertParamRec param;
    FillParams(param, ButtonsOf(set), buttonTexts);
    CBK_CFString error(title.c_str()), explanation(text.c_str());
    tbx::DialogRef alert = nullptr;
    if (tbx::CreateStandardAlert(Icon(flags), error, explanation, &param, &alert) != tbx::noErr)
        return kBK_IDCANCEL;
    tbx::DialogItemIndex item = 0;
    if (tbx::RunStandardAlert(alert, nullptr, &item) != tbx::noErr)
        return kBK_IDCANCEL;
    return Answer(set, item);
}

// The alert of systems before 10.0: three button sets only, with fixed texts.
int32_t PreTenAlert(int32_t flags, const std::wstring& title, const std::wstring& text) {
    unsigned char error[256], explanation[256];
    BK_CopyCStringToPascal(title.c_str(), error);
    BK_CopyCStringToPascal(text.c_str(), explanation);
    int32_t set = ButtonSet(flags, false);
    if (set != kBK_MB_YESNO && set != kBK_MB_YESNOCANCEL && set != kBK_MB_SAVE)
        set = 0;
    unsigned char texts[3][256] = {};
    const wchar_t* words[3] = {};
    if (set == kBK_MB_YESNO) {
        words[0] = L"Yes";
        words[1] = L"No";
    } else if (set == kBK_MB_YESNOCANCEL) {
        words[0] = L"Yes";
        words[1] = L"Cancel";
        words[2] = L"No";
    } else if (set == kBK_MB_SAVE) {
        words[0] = L"Save";
        words[1] = L"Cancel";
        words[2] = L"Don't Save";
    }
    tbx::AlertStdAlertParamRec param;
    param.movable = true;
    param.defaultButton = tbx::kAlertStdAlertOKButton;
    for (int i = 0; i < 3; ++i)
        if (words[i])
            BK_CopyCStringToPascal(words[i], texts[i]);
    param.defaultText = words[0] ? texts[0] : tbx::kAlertDefaultOKText;
    param.cancelText = words[1] ? texts[1] : nullptr;
    param.otherText = words[2] ? texts[2] : nullptr;
    if (words[1])
        param.cancelButton = tbx::kAlertStdAlertCancelButton;
    tbx::SInt16 item = 0;
    if (tbx::StandardAlert(Icon(flags), error, explanation, &param, &item) != tbx::noErr)
        return kBK_IDCANCEL;
    if (set == kBK_MB_YESNO)
        return item == 2 ? kBK_IDNO : kBK_IDOK;
    return Answer(set, item);
}

bool BeforeTen() {
    tbx::SInt32 version = 0;
    return tbx::Gestalt(tbx::FourCC("sysv"), &version) == tbx::noErr && version < 0x1000;
}

int32_t ShowMessage(tbx::WindowRef parent, int32_t flags, const std::wstring& title,
                    const std::wstring& text) {
    if (BeforeTen())
        return PreTenAlert(flags, title, text);
    if (parent)
        return BK_MacMessageBoxOSXSheet(parent, flags, title.c_str(), text.c_str());
    return ModalAlert(flags, ButtonSet(flags, false), title, text);
}

// The formatted text, or the format itself when it cannot be formatted.
std::wstring Format(const wchar_t* format, va_list arguments) {
    if (!format)
        return {};
    std::wstring out;
    if (!BK_FormatStringV(out, format, arguments))
        return format;
    return out;
}

int32_t SheetItem(tbx::UInt32 command) {
    switch (command) {
    case tbx::kHICommandOK:
        return 1;
    case tbx::kHICommandCancel:
        return 2;
    case tbx::kHICommandOther:
        return 3;
    default:
        return 0;
    }
}

} // namespace

int32_t BK_MessageBox(tbx::WindowRef parent, int32_t flags, const wchar_t* title,
                      const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::wstring text = Format(format, arguments);
    va_end(arguments);
    return ShowMessage(parent, flags, title ? title : L"", text);
}

int32_t BK_NoteBox(tbx::WindowRef parent, const wchar_t* title, const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::wstring text = Format(format, arguments);
    va_end(arguments);
    return ShowMessage(parent, kBK_NoteBoxFlags, title ? title : L"", text);
}

int32_t BK_WarningBox(tbx::WindowRef parent, const wchar_t* title, const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::wstring text = Format(format, arguments);
    va_end(arguments);
    return ShowMessage(parent, kBK_WarningBoxFlags, title ? title : L"", text);
}

int32_t BK_ErrorBox(tbx::WindowRef parent, const wchar_t* title, const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::wstring text = Format(format, arguments);
    va_end(arguments);
    return ShowMessage(parent, kBK_ErrorBoxFlags, title ? title : L"", text);
}

int32_t BK_MessageBox(tbx::WindowRef parent, int32_t flags, int32_t titleId, int32_t formatId,
                      ...) {
    const std::wstring format = Text(formatId);
    va_list arguments;
    va_start(arguments, formatId);
    const std::wstring text = Format(format.c_str(), arguments);
    va_end(arguments);
    return ShowMessage(parent, flags, Text(titleId), text);
}

int32_t BK_NoteBox(tbx::WindowRef parent, int32_t titleId, int32_t formatId, ...) {
    const std::wstring format = Text(formatId);
    va_list arguments;
    va_start(arguments, formatId);
    const std::wstring text = Format(format.c_str(), arguments);
    va_end(arguments);
    return ShowMessage(parent, kBK_NoteBoxFlags, Text(titleId), text);
}

int32_t BK_WarningBox(tbx::WindowRef parent, int32_t titleId, int32_t formatId, ...) {
    const std::wstring format = Text(formatId);
    va_list arguments;
    va_start(arguments, formatId);
    const std::wstring text = Format(format.c_str(), arguments);
    va_end(arguments);
    return ShowMessage(parent, kBK_WarningBoxFlags, Text(titleId), text);
}

int32_t BK_ErrorBox(tbx::WindowRef parent, int32_t titleId, int32_t formatId, ...) {
    const std::wstring title = BK_LocalizedText(titleId).value_or(L"Error");
    const std::optional<std::wstring> format = BK_LocalizedText(formatId);
    std::wstring text = L"Error";
    if (format) {
        va_list arguments;
        va_start(arguments, formatId);
        text = Format(format->c_str(), arguments);
        va_end(arguments);
    }
    return ShowMessage(parent, kBK_ErrorBoxFlags, title, text);
}

int32_t BK_ErrorCodeBox(tbx::WindowRef parent, int32_t code, bool) {
    std::wstring title, text;
    BK_FormatString(title, L"Err: %d", code);
    BK_FormatString(text, L"Type: %d", code);
    return ShowMessage(parent, kBK_ErrorBoxFlags, title, text);
}

tbx::OSStatus BK_MacMessageBoxOSXHandler(tbx::EventHandlerCallRef, tbx::EventRef event,
                                         void* userData) {
    auto* result = static_cast<tbx::UInt32*>(userData);
    if (!result)
        return tbx::eventNotHandledErr;
    tbx::ControlRef control = nullptr;
    tbx::UInt32 command = 0;
    tbx::GetEventParameter(event, tbx::kEventParamDirectObject, tbx::typeControlRef, nullptr,
                           sizeof control, nullptr, &control);
    tbx::GetControlCommandID(control, &command);
    *result = SheetItem(command) ? command : 0;
    return tbx::noErr;
}

int32_t BK_MacMessageBoxOSXSheet(tbx::WindowRef window, int32_t flags, const wchar_t* title,
                                 const wchar_t* text) {
    const std::wstring titleText = title ? title : L"";
    const std::wstring messageText = text ? text : L"";
    // A sheet has no OK-only form: it shows the set that the other bits ask for.
    const int32_t set = ButtonSet(flags, true);
    tbx::WindowRef parent = window ? window : tbx::FrontWindow();

    CBK_CFString buttonTexts[3];
    tbx::AlertStdCFStringAlertParamRec param;
    FillParams(param, ButtonsOf(set), buttonTexts);
    CBK_CFString error(titleText.c_str()), explanation(messageText.c_str());
    tbx::DialogRef dialog = nullptr;
    if (tbx::CreateStandardSheet(Icon(flags), error, explanation, &param, nullptr, &dialog) !=
        tbx::noErr)
        return kBK_IDCANCEL;
    tbx::WindowRef sheet = tbx::GetDialogWindow(dialog);

    tbx::UInt32 result = 0;
    const tbx::EventTypeSpec hit{tbx::kEventClassControl, tbx::kEventControlHit};
    tbx::EventHandlerRef handler = nullptr;
    tbx::InstallEventHandler(tbx::GetWindowEventTarget(sheet), BK_MacMessageBoxOSXHandler, 1, &hit,
                             &result, &handler);

    if (!parent || tbx::ShowSheetWindow(sheet, parent) != tbx::noErr) {
        tbx::RemoveEventHandler(handler);
        tbx::DisposeWindow(sheet);
        return ModalAlert(flags, set, titleText, messageText);
    }
    while (result == 0 && tbx::IsValidWindowPtr(sheet)) {
        tbx::EventRef event = nullptr;
        const tbx::OSStatus status =
            tbx::ReceiveNextEvent(0, nullptr, kSheetPumpTimeout, true, &event);
        if (status == tbx::noErr) {
            tbx::SendEventToEventTarget(event, tbx::GetEventDispatcherTarget());
            tbx::ReleaseEvent(event);
        } else if (status != tbx::eventLoopTimedOutErr) {
            break; // the event loop is going away: answer as a failure
        }
    }
    tbx::HideSheetWindow(sheet);
    tbx::RemoveEventHandler(handler);
    tbx::DisposeWindow(sheet);
    return Answer(set, SheetItem(result));
}

int32_t BK_GetLastError() {
    return 0;
}

bool BK_InitEntry(BK_ENTRY_INFO*) {
    tbx::SetThemeCursor(tbx::kThemeArrowCursor);
    return true;
}

void BK_KillEntry() {}
