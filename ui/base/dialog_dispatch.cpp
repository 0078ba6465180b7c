// The event callback of every dialog, and the file drop that it hands on.
#include <algorithm>
#include <string>
#include <vector>

#include "core/paths/path_list.h"
#include "core/strings/wide_text.h"
#include "platform/text_encoding.h"
#include "platform/windows/controls.h"
#include "platform/windows/drag.h"
#include "platform/windows/events.h"
#include "platform/windows/font_panel.h"
#include "platform/windows/windows.h"
#include "ui/base/dialog.h"

namespace {

constexpr tbx::UInt32 kShowFontPanelCommand = tbx::FourCC("shfp");

tbx::OSStatus Result(bool handled) {
    return handled ? tbx::noErr : tbx::eventNotHandledErr;
}

struct MouseArguments {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t modifiers = 0;
    tbx::EventMouseButton button = tbx::kEventMouseButtonPrimary;
};

MouseArguments ReadMouse(tbx::EventRef event) {
    MouseArguments mouse;
    tbx::Point where;
    if (tbx::GetEventParameter(event, tbx::kEventParamMouseLocation, tbx::typeQDPoint, nullptr,
                               sizeof where, nullptr, &where) == tbx::noErr) {
        mouse.x = where.h;
        mouse.y = where.v;
    }
    tbx::GetEventParameter(event, tbx::kEventParamKeyModifiers, tbx::typeUInt32, nullptr,
                           sizeof mouse.modifiers, nullptr, &mouse.modifiers);
    tbx::GetEventParameter(event, tbx::kEventParamMouseButton, tbx::typeMouseButton, nullptr,
                           sizeof mouse.button, nullptr, &mouse.button);
    // A control-click is the secondary click of a one-button mouse.
    if (mouse.modifiers & tbx::controlKey)
        mouse.button = tbx::kEventMouseButtonSecondary;
    return mouse;
}

// Toggles the font panel and, when it opens, gives it a selection for this window.
tbx::OSStatus ToggleFontPanel(tbx::WindowRef window) {
    const tbx::OSStatus status = tbx::FPShowHideFontPanel();
    if (status == tbx::noErr && tbx::FPIsFontPanelVisible()) {
        tbx::ATSUStyle style = nullptr;
        if (tbx::ATSUCreateStyle(&style) == tbx::noErr) {
            tbx::ATSUFontID font = 0;
            tbx::Fixed size = 12 << 16;
            const tbx::ATSUAttributeTag tags[] = {tbx::kATSUFontTag, tbx::kATSUSizeTag};
            const tbx::ByteCount sizes[] = {sizeof font, sizeof size};
            const tbx::ATSUAttributeValuePtr values[] = {&font, &size};
            tbx::ATSUSetAttributes(style, 2, tags, sizes, values);
            tbx::SetFontInfoForSelection(tbx::kFontSelectionATSUIType, 1, &style,
                                         tbx::GetWindowEventTarget(window));
            tbx::ATSUDisposeStyle(style);
        }
    }
    return status;
}

// The POSIX path of a file URL ("file://" and a percent-encoded path); empty when it is not one.
std::wstring PathOfFileUrl(const std::string& url) {
    static const std::string kScheme = "file://";
    if (url.compare(0, kScheme.size(), kScheme) != 0)
        return {};
    std::string bytes;
    for (std::size_t i = kScheme.size(); i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size() &&
            std::isxdigit(static_cast<unsigned char>(url[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(url[i + 2]))) {
            bytes.push_back(static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            bytes.push_back(url[i]);
        }
    }
    std::u16string units;
    if (bytes.empty() || !tbx::text::Utf8ToUtf16(bytes, units))
        return {};
    return BK_WidenUnits(units.data(), units.size());
}

} // namespace

tbx::OSStatus CBK_Dialog::OnDragDrop(tbx::DragRef drag) {
    tbx::Point mouse;
    tbx::GetDragMouse(drag, &mouse, nullptr);
    tbx::UInt16 count = 0;
    tbx::CountDragItems(drag, &count);
    CBK_PathList paths;
    for (tbx::UInt16 index = 1; index <= count; ++index) {
        tbx::DragItemRef item = 0;
        tbx::SInt32 size = 0;
        if (tbx::GetDragItemReferenceNumber(drag, index, &item) != tbx::noErr ||
            tbx::GetFlavorDataSize(drag, item, tbx::kDragFlavorTypeFileURL, &size) != tbx::noErr ||
            size <= 0 || size > (1 << 16))
            continue;
        std::string url(static_cast<std::size_t>(size), '\0');
        if (tbx::GetFlavorData(drag, item, tbx::kDragFlavorTypeFileURL, url.data(), &size, 0) !=
            tbx::noErr)
            continue;
        url.resize(static_cast<std::size_t>(size));
        std::wstring path = PathOfFileUrl(url);
        if (!path.empty())
            paths.Add(CBK_Path(path));
    }
    paths.SortAscending();
    tbx::Point elsewhere{32767, 32767};
    for (int32_t i = 0; i < paths.GetSize(); ++i)
        OnDragDropFile(*paths.GetPath(i), i == 0 ? mouse : elsewhere);
    return tbx::noErr;
}

tbx::OSStatus BK_DefaultDialogCallback(tbx::EventHandlerCallRef, tbx::EventRef event,
                                       void* userData) {
    using namespace tbx;
    auto* dialog = static_cast<CBK_Dialog*>(userData);
    if (!dialog)
        return eventNotHandledErr;
    if (dialog->PreProcessEvent(event))
        return noErr;

    const UInt32 eventClass = GetEventClass(event);
    const UInt32 eventKind = GetEventKind(event);
    switch (eventClass) {
    case kEventClassCommand: {
        if (eventKind != kEventCommandProcess)
            return eventNotHandledErr;
        HICommand command;
        if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr,
                              sizeof command, nullptr, &command) != noErr)
            return eventNotHandledErr;
        if (dialog->OnCommand(command.commandID, event))
            return 1;
        if (command.commandID == kShowFontPanelCommand)
            return ToggleFontPanel(dialog->GetWindowHandle());
        return eventNotHandledErr;
    }
    case kEventClassControl: {
        if (eventKind != kEventControlHit)
            return eventNotHandledErr;
        ControlRef control = nullptr;
        GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control,
                          nullptr, &control);
        ControlID id;
        GetControlID(control, &id);
        const bool handled = dialog->OnCommand(id.signature, event);
        dialog->_CheckKeyboardFocus(control);
        return Result(handled);
    }
    case kEventClassFont:
        return eventNotHandledErr;
    case kEventClassKeyboard:
        if (eventKind == kEventRawKeyDown || eventKind == kEventRawKeyRepeat)
            return Result(dialog->OnKeyDown(event));
        if (eventKind == kEventRawKeyUp)
            return Result(dialog->OnKeyUp(event));
        return eventNotHandledErr;
    case kEventClassMouse: {
        const MouseArguments m = ReadMouse(event);
        if (eventKind == kEventMouseDown) {
            if (m.button == kEventMouseButtonPrimary)
                return Result(dialog->OnLButtonDown(m.x, m.y, m.modifiers));
            if (m.button == kEventMouseButtonSecondary)
                return Result(dialog->OnRButtonDown(m.x, m.y, m.modifiers));
            return eventNotHandledErr;
        }
        if (eventKind == kEventMouseUp) {
            if (m.button == kEventMouseButtonPrimary)
                return Result(dialog->OnLButtonUp(m.x, m.y, m.modifiers));
            if (m.button == kEventMouseButtonSecondary)
                return Result(dialog->OnRButtonUp(m.x, m.y, m.modifiers));
            return eventNotHandledErr;
        }
        if (eventKind == kEventMouseMoved)
            return Result(dialog->OnMouseMove(m.x, m.y, m.modifiers));
        return eventNotHandledErr;
    }
    case kEventClassWindow:
        switch (eventKind) {
        case kEventWindowUpdate: {
            WindowRef window = nullptr;
            GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof window,
                              nullptr, &window);
            BeginUpdate(window);
            const bool handled = dialog->OnPaint();
            EndUpdate(window);
            return Result(handled);
        }
        case kEventWindowDrawContent:
            return Result(dialog->OnPaint());
        case kEventWindowBoundsChanging: {
            Rect bounds;
            GetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, nullptr,
                              sizeof bounds, nullptr, &bounds);
            return Result(dialog->OnSizing(bounds, 0));
        }
        case kEventWindowBoundsChanged: {
            Rect previous, current;
            GetEventParameter(event, kEventParamPreviousBounds, typeQDRectangle, nullptr,
                              sizeof previous, nullptr, &previous);
            GetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, nullptr,
                              sizeof current, nullptr, &current);
            const int32_t width = current.right - current.left;
            const int32_t height = current.bottom - current.top;
            if (width == previous.right - previous.left && height == previous.bottom - previous.top)
                return Result(dialog->OnMove(current.left, current.top));
            return Result(dialog->OnSize(width, height));
        }
        case kEventWindowClose:
            return Result(dialog->OnClose());
        default:
            return eventNotHandledErr;
        }
    default:
        return Result(dialog->OnCustomEvent(eventClass, eventKind, event));
    }
}
