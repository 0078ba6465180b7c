#include "platform/windows/alerts.h"

#include "platform/text_encoding.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace {

constexpr SInt16 kAlertWidth = 420;
constexpr SInt16 kAlertHeight = 140;
constexpr SInt16 kButtonWidth = 90;
constexpr SInt16 kButtonHeight = 20;

std::u16string FromPascal(ConstStringPtr text) {
    std::u16string out;
    if (!text)
        return out;
    for (int i = 1; i <= text[0]; ++i)
        out.push_back(text::MacRomanToUnicode(text[i]));
    return out;
}

OSStatus BuildAlert(WindowClass windowClass, test::AlertRecord record, EventTargetRef notify,
                    DialogRef* out) {
    if (!out)
        return paramErr;
    Rect bounds{0, 0, kAlertHeight, kAlertWidth};
    WindowRef window = nullptr;
    OSStatus status =
        CreateNewWindow(windowClass, kWindowStandardHandlerAttribute, &bounds, &window);
    if (status != noErr)
        return status;
    Window* w = LiveWindow(window);
    w->isAlert = true;
    w->name = record.sheet ? "standard sheet" : "standard alert";
    w->notifyTarget = notify;

    ControlRef control = nullptr;
    CFStringRef text = new CFString(record.error);
    Rect r{16, 20, 48, kAlertWidth - 20};
    CreateStaticTextControl(window, &r, text, nullptr, &control);
    CFRelease(text);
    text = new CFString(record.explanation);
    r = Rect{56, 20, 100, kAlertWidth - 20};
    CreateStaticTextControl(window, &r, text, nullptr, &control);
    CFRelease(text);

    static constexpr UInt32 kCommands[] = {kHICommandOK, kHICommandCancel, kHICommandOther};
    SInt16 right = kAlertWidth - 20;
    for (int item = 0; item < 3; ++item) {
        if (record.buttons[item].empty())
            continue;
        Rect b{kAlertHeight - 20 - kButtonHeight, 0, kAlertHeight - 20, 0};
        if (item == 2) {
            b.left = 20;
        } else {
            b.left = static_cast<SInt16>(right - kButtonWidth);
            right = static_cast<SInt16>(b.left - 12);
        }
        b.right = static_cast<SInt16>(b.left + kButtonWidth);
        text = new CFString(record.buttons[item]);
        CreatePushButtonControl(window, &b, text, &control);
        CFRelease(text);
        SetControlCommandID(control, kCommands[item]);
        if (record.defaultItem == item + 1)
            SetWindowDefaultButton(window, control);
        if (record.cancelItem == item + 1)
            SetWindowCancelButton(window, control);
    }
    record.window = window;
    World& world = TheWorld();
    w->alertRecord = static_cast<int>(world.alerts.size());
    world.alerts.push_back(std::move(record));
    *out = GetDialogFromWindow(window);
    return noErr;
}

test::AlertRecord Record(AlertType type, CFStringRef error, CFStringRef explanation,
                         const AlertStdCFStringAlertParamRec* param) {
    test::AlertRecord record;
    record.type = type;
    record.error = error ? error->Text() : std::u16string();
    record.explanation = explanation ? explanation->Text() : std::u16string();
    record.buttons[0] = u"OK";
    record.defaultItem = kAlertStdAlertOKButton;
    if (param) {
        if (param->defaultText)
            record.buttons[0] = param->defaultText->Text();
        if (param->cancelText)
            record.buttons[1] = param->cancelText->Text();
        if (param->otherText)
            record.buttons[2] = param->otherText->Text();
        record.defaultItem = param->defaultButton;
        record.cancelItem = param->cancelButton;
    }
    return record;
}

OSStatus RunAlertWindow(WindowRef window, DialogItemIndex* outItemHit) {
    RepositionWindow(window, nullptr, kWindowAlertPositionOnMainScreen);
    ShowWindow(window);
    OSStatus status = RunAppModalLoopForWindow(window);
    Window* w = LiveWindow(window);
    const DialogItemIndex item = w ? w->itemHit : 0;
    DisposeWindow(window);
    if (outItemHit)
        *outItemHit = item;
    if (status == noErr && item == 0)
        status = userCanceledErr;
    return status;
}

} // namespace

WindowRef GetDialogWindow(DialogRef dialog) {
    return reinterpret_cast<WindowRef>(dialog);
}

DialogRef GetDialogFromWindow(WindowRef window) {
    return reinterpret_cast<DialogRef>(window);
}

OSErr StandardAlert(AlertType type, ConstStringPtr error, ConstStringPtr explanation,
                    const AlertStdAlertParamRec* param, SInt16* outItemHit) {
    test::AlertRecord record;
    record.preTen = true;
    record.type = type;
    record.error = FromPascal(error);
    record.explanation = FromPascal(explanation);
    record.buttons[0] = u"OK";
    record.defaultItem = kAlertStdAlertOKButton;
    if (param) {
        auto text = [](ConstStringPtr given, const char16_t* fallback) {
            if (!given)
                return std::u16string();
            if (given == kAlertDefaultOKText)
                return std::u16string(fallback);
            return FromPascal(given);
        };
        record.buttons[0] = param->defaultText ? text(param->defaultText, u"OK") : u"OK";
        record.buttons[1] = text(param->cancelText, u"Cancel");
        record.buttons[2] = text(param->otherText, u"Don't Save");
        record.defaultItem = param->defaultButton ? param->defaultButton : 1;
        record.cancelItem = param->cancelButton;
    }
    DialogRef alert = nullptr;
    OSStatus status =
        BuildAlert(param && param->movable ? kMovableAlertWindowClass : kAlertWindowClass,
                   std::move(record), nullptr, &alert);
    if (status != noErr)
        return static_cast<OSErr>(status);
    DialogItemIndex item = 0;
    status = RunAlertWindow(GetDialogWindow(alert), &item);
    if (outItemHit)
        *outItemHit = item;
    return static_cast<OSErr>(status);
}

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamRec* param, UInt32 version) {
    if (!param || version != kStdCFStringAlertVersionOne)
        return paramErr;
    *param = AlertStdCFStringAlertParamRec{};
    param->version = version;
    param->movable = true;
    param->defaultButton = kAlertStdAlertOKButton;
    return noErr;
}

OSStatus CreateStandardAlert(AlertType type, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert) {
    return BuildAlert(param && param->movable ? kMovableAlertWindowClass : kAlertWindowClass,
                      Record(type, error, explanation, param), nullptr, outAlert);
}

OSStatus RunStandardAlert(DialogRef alert, void*, DialogItemIndex* outItemHit) {
    WindowRef window = GetDialogWindow(alert);
    Window* w = LiveWindow(window);
    if (!w || !w->isAlert)
        return paramErr;
    return RunAlertWindow(window, outItemHit);
}

OSStatus CreateStandardSheet(AlertType type, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param,
                             EventTargetRef notifyTarget, DialogRef* outSheet) {
    test::AlertRecord record = Record(type, error, explanation, param);
    record.sheet = true;
    return BuildAlert(kSheetWindowClass, std::move(record), notifyTarget, outSheet);
}

} // namespace tbx
