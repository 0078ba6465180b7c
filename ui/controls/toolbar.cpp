#include "ui/controls/toolbar.h"

#include <algorithm>

#include "core/strings/cf_string.h"
#include "platform/windows/help_tags.h"
#include "ui/common/localized_text.h"

bool CBK_ControlToolTip::AddTool(tbx::ControlRef control, const wchar_t* text) {
    CBK_CFString string(text ? text : L"");
    tbx::HMHelpContentRec content;
    content.version = tbx::kMacHelpVersion;
    content.absHotRect = tbx::Rect{0, 0, 0, 0};
    content.tagSide = tbx::kHMDefaultSide;
    content.content[tbx::kHMMinimumContentIndex].contentType = tbx::kHMCFStringContent;
    content.content[tbx::kHMMinimumContentIndex].tagCFString = string;
    content.content[tbx::kHMMaximumContentIndex].contentType = tbx::kHMNoContent;
    return tbx::HMSetControlHelpContent(control, &content) == tbx::noErr;
}

bool CBK_ControlToolTip::AddTool(tbx::ControlRef control, int32_t stringId) {
    const std::optional<std::wstring> text = BK_LocalizedText(stringId);
    return text && AddTool(control, text->c_str());
}

bool CBK_ControlToolbar::Init(tbx::WindowRef window, int32_t, int32_t, int32_t, int32_t) {
    m_hWnd = window;
    m_nDialogNo = 0;
    return true;
}

bool CBK_ControlToolbar::AddIcon(int32_t iconId, uint32_t kind) {
    m_Icons.push_back({iconId, kind});
    return true;
}

bool CBK_ControlToolbar::AddButton(const wchar_t*, uint32_t command, int32_t icon, int32_t style,
                                   int32_t state) {
    auto record = std::make_unique<tagTBBUTTON>();
    record->iBitmap = icon;
    record->idCommand = command;
    record->fsStyle = static_cast<uint8_t>(style);
    record->fsState = static_cast<uint8_t>(state);
    if (!record->button.Init(command, m_hWnd, m_nDialogNo))
        return false;
    if (icon >= 0 && static_cast<std::size_t>(icon) < m_Icons.size())
        record->button.SetIcon(m_Icons[static_cast<std::size_t>(icon)].iconId,
                               m_Icons[static_cast<std::size_t>(icon)].kind);
    m_Buttons.push_back(std::move(record));
    return true;
}

tagTBBUTTON* CBK_ControlToolbar::_Find(uint32_t command) {
    for (auto& button : m_Buttons)
        if (button->idCommand == command)
            return button.get();
    return nullptr;
}

bool CBK_ControlToolbar::IsChecked(uint32_t command) {
    tagTBBUTTON* button = _Find(command);
    return button && button->button.IsSet();
}

bool CBK_ControlToolbar::Check(uint32_t command, bool on) {
    tagTBBUTTON* button = _Find(command);
    return button && button->button.Set(on, true);
}

bool CBK_ControlToolbar::EnableButton(uint32_t command, bool enable) {
    tagTBBUTTON* button = _Find(command);
    return button && button->button.Enable(enable);
}

bool CBK_ControlToolbar::AddToolTip(uint32_t command, int32_t stringId) {
    if (tagTBBUTTON* button = _Find(command)) {
        CBK_ControlToolTip tip;
        tip.AddTool(button->button.GetControlHandle(), stringId);
    }
    return false;
}

tagTBBUTTON* CBK_ControlToolbar::GetButton(int32_t index) {
    if (m_Buttons.empty())
        return nullptr;
    const int32_t last = GetButtonCount() - 1;
    return m_Buttons[static_cast<std::size_t>(std::clamp(index, 0, last))].get();
}
