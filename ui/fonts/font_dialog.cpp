#include "ui/fonts/font_dialog.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "core/fonts/font_name.h"
#include "platform/fonts/font_manager.h"
#include "platform/fonts/font_menu.h"
#include "platform/gestalt.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"

namespace {

constexpr uint32_t kOK = tbx::FourCC("ok  ");
constexpr uint32_t kCancel = tbx::FourCC("not!");
constexpr uint32_t kApply = tbx::FourCC("aply");
constexpr tbx::MenuID kFontMenuId = 3333;
constexpr const wchar_t* kSizes[] = {L"9",  L"10", L"11", L"12", L"13", L"14", L"18",
                                     L"24", L"32", L"36", L"48", L"64", L"72", L"96"};

// Rectangles below are given as left, top, right, bottom.
tbx::Rect LTRB(int l, int t, int r, int b) {
    return tbx::Rect{int16_t(t), int16_t(l), int16_t(b), int16_t(r)};
}

int32_t SystemVersion() {
    tbx::SInt32 version = 0;
    tbx::Gestalt(tbx::FourCC("sysv"), &version);
    return version;
}

int32_t InsertRow(CBK_ControlListView& list, const wchar_t* text, int32_t value) {
    _BK_LVITEM item;
    item.mask = kBK_LVIF_TEXT | kBK_LVIF_PARAM;
    item.iItem = -1;
    item.pszText = const_cast<wchar_t*>(text);
    item.lParam = value;
    return list.InsertItem(item);
}

void AddColumn(CBK_ControlListView& list, int32_t width) {
    _BK_LVCOLUMN column;
    column.mask = kBK_LVCF_WIDTH;
    column.cx = width;
    list.AppendColumn(column, true);
}

} // namespace

bool CBK_FontDialog::s_bUseSystemFontChooser = true;

void CBK_FontDialog::STYLE_ENTRY::Set(uint16_t style, const unsigned char* pascalName) {
    nStyle = style;
    name.clear();
    if (pascalName)
        for (int i = 1; i <= pascalName[0]; ++i)
            name.push_back(wchar_t(pascalName[i]));
}

CBK_FontDialog::~CBK_FontDialog() {
    _FreeFonts();
}

void CBK_FontDialog::_FreeFonts() {
    m_Fonts.clear();
    m_ParentItems.clear();
    // The submenus hang below the font menu and go with it.
    if (m_hFontMenu && tbx::IsValidMenu(m_hFontMenu))
        tbx::DisposeMenuTree(m_hFontMenu);
    m_hFontMenu = nullptr;
    m_hCurrentMenu = nullptr;
    m_nCurrentItem = 0xFFFF;
}

int32_t CBK_FontDialog::DoModal(CBK_Font& font, tbx::WindowRef parent, const tbx::Rect* frame) {
    if (SystemVersion() >= 0x1020 && s_bUseSystemFontChooser) {
        tbx::EventRef event = nullptr;
        if (tbx::CreateEvent(nullptr, tbx::kEventClassCommand, tbx::kEventCommandProcess, 0, 0,
                             &event) == tbx::noErr) {
            tbx::HICommand command;
            command.commandID = tbx::FourCC("shfp");
            tbx::SetEventParameter(event, tbx::kEventParamDirectObject, tbx::typeHICommand,
                                   sizeof command, &command);
            tbx::SendEventToEventTarget(event, tbx::GetWindowEventTarget(parent));
            tbx::ReleaseEvent(event);
        }
        return 0;
    }
    m_pTarget = &font;
    if (!Create(100, 100, 500, 320, kMovableModal | kResizable, parent, 0))
        return -1;
    SetTitle(L"Font");
    _SetCurrentFont(font);
    if (frame) {
        SetPos(frame->left, frame->top);
        SetSize(frame->right - frame->left, frame->bottom - frame->top);
    }
    return _RunModalLoop();
}

bool CBK_FontDialog::OnInit() {
    struct ButtonLayout {
        CBK_ControlButton& button;
        uint32_t code;
        tbx::Rect rect;
        const wchar_t* title;
    };
    const ButtonLayout buttons[] = {{m_OK, kOK, LTRB(400, 20, 470, 40), L"OK"},
                                    {m_Apply, kApply, LTRB(400, 52, 470, 72), L"Apply"},
                                    {m_Cancel, kCancel, LTRB(400, 100, 470, 120), L"Cancel"}};
    for (const ButtonLayout& layout : buttons) {
        tbx::Rect r = layout.rect;
        layout.button.Create(*this, layout.code, r, layout.title);
        tbx::ControlFontStyleRec style;
        style.flags = tbx::kControlUseFontMask;
        style.font = -1;
        tbx::SetControlFontStyle(layout.button.GetControlHandle(), &style);
    }
    tbx::SetWindowDefaultButton(m_hWnd, m_OK.GetControlHandle());
    tbx::SetWindowCancelButton(m_hWnd, m_Cancel.GetControlHandle());
    tbx::Rect r = LTRB(20, 20, 100, 36);
    m_FamilyLabel.Create(*this, tbx::FourCC("tFnt"), r, L"Family");
    r = LTRB(23, 42, 161, 63);
    m_FamilyEdit.Create(*this, tbx::FourCC("eFnt"), r, L"", 0);
    BK_EnableControl(m_FamilyEdit.GetControlHandle(), false);
    r = LTRB(17, 71, 167, 300);
    m_FontList.Create(*this, tbx::FourCC("lFnt"), r);
    r = LTRB(172, 20, 252, 36);
    m_StyleLabel.Create(*this, tbx::FourCC("tSiz"), r, L"Typeface");
    r = LTRB(175, 42, 313, 63);
    m_StyleEdit.Create(*this, tbx::FourCC("eStl"), r, L"", 0);
    BK_EnableControl(m_StyleEdit.GetControlHandle(), false);
    r = LTRB(169, 71, 319, 300);
    m_StyleList.Create(*this, tbx::FourCC("lStl"), r);
    r = LTRB(324, 20, 382, 36);
    m_SizeLabel.Create(*this, tbx::FourCC("tStl"), r, L"Size");
    r = LTRB(327, 42, 382, 63);
    m_SizeEdit.Create(*this, tbx::FourCC("eSiz"), r, L"", 0);
    r = LTRB(321, 71, 387, 300);
    m_SizeList.Create(*this, tbx::FourCC("lSiz"), r);
    CBK_ControlListView::LV_SETTINGS single;
    single.bSingleSelection = true;
    for (auto* list : {&m_FontList, &m_StyleList, &m_SizeList}) {
        list->SetSettings(single);
        tbx::SetDataBrowserTableViewHiliteStyle(list->GetControlHandle(),
                                                tbx::kDataBrowserTableViewFillHilite);
    }
    AddColumn(m_FontList, 300);
    AddColumn(m_StyleList, 300);
    AddColumn(m_SizeList, 82);
    m_FontList.m_SelectEvent.AddHandler(
        BK_MakeDelegate(*this, &CBK_FontDialog::OnFontSelectionChanged));
    m_StyleList.m_SelectEvent.AddHandler(
        BK_MakeDelegate(*this, &CBK_FontDialog::OnStyleSelectionChanged));
    m_SizeList.m_SelectEvent.AddHandler(
        BK_MakeDelegate(*this, &CBK_FontDialog::OnSizeSelectionChanged));
    _GetFonts();
    _Init();
    m_Layout.width = 500;
    m_Layout.height = 320;
    GetSize(m_Layout.width, m_Layout.height);
    m_Layout.familyEditWidth = m_FamilyEdit.GetWidth();
    m_Layout.fontListWidth = m_FontList.GetWidth();
    m_Layout.fontListHeight = m_FontList.GetHeight();
    m_Layout.typefaceLabelLeft = m_StyleLabel.GetXPos();
    m_Layout.styleEditLeft = m_StyleEdit.GetXPos();
    m_Layout.styleListLeft = m_StyleList.GetXPos();
    m_Layout.styleListWidth = m_StyleList.GetWidth();
    m_Layout.sizeLabelLeft = m_SizeLabel.GetXPos();
    m_Layout.sizeEditLeft = m_SizeEdit.GetXPos();
    m_Layout.sizeListLeft = m_SizeList.GetXPos();
    m_Layout.sizeListWidth = m_SizeList.GetWidth();
    m_Layout.okLeft = m_OK.GetXPos();
    m_Layout.applyLeft = m_Apply.GetXPos();
    m_Layout.cancelLeft = m_Cancel.GetXPos();
    return true;
}

bool CBK_FontDialog::OnClose() {
    GetPos(m_Frame.x, m_Frame.y);
    GetSize(m_Frame.width, m_Frame.height);
    return false;
}

bool CBK_FontDialog::OnCommand(uint32_t command, tbx::EventRef&) {
    if (command == kCancel) {
        EndModal(int32_t(kCancel));
        return true;
    }
    if (command == kOK || command == kApply) {
        if (m_pTarget)
            _GetCurrentFont(*m_pTarget);
        if (command == kOK)
            EndModal(int32_t(kOK));
        return true;
    }
    return false;
}

bool CBK_FontDialog::OnSize(int32_t width, int32_t height) {
    if (m_Layout.width == 0)
        return false; // before the controls exist
    const int32_t dw = std::max(width - m_Layout.width, -100);
    const int32_t dh = std::max(height - m_Layout.height, -100);
    m_FontList.SetSize(m_Layout.fontListWidth + dw, m_Layout.fontListHeight + dh);
    m_FamilyEdit.SetWidth(m_Layout.familyEditWidth + dw);
    m_StyleLabel.SetXPos(m_Layout.typefaceLabelLeft + dw);
    m_StyleEdit.SetXPos(m_Layout.styleEditLeft + dw);
    m_StyleList.SetXPos(m_Layout.styleListLeft + dw);
    m_SizeLabel.SetXPos(m_Layout.sizeLabelLeft + dw);
    m_SizeEdit.SetXPos(m_Layout.sizeEditLeft + dw);
    m_SizeList.SetXPos(m_Layout.sizeListLeft + dw);
    m_OK.SetXPos(m_Layout.okLeft + dw);
    m_Apply.SetXPos(m_Layout.applyLeft + dw);
    m_Cancel.SetXPos(m_Layout.cancelLeft + dw);
    m_StyleList.SetSize(m_Layout.styleListWidth, m_Layout.fontListHeight + dh);
    m_SizeList.SetSize(m_Layout.sizeListWidth, m_Layout.fontListHeight + dh);
    return false;
}

tbx::MenuRef CBK_FontDialog::_GetSubmenu(uint16_t item) {
    tbx::MenuRef submenu = nullptr;
    if (tbx::GetMenuItemHierarchicalMenu(m_hFontMenu, item, &submenu) != tbx::noErr)
        return nullptr;
    return submenu;
}

int16_t CBK_FontDialog::_FamilyFromItemText(tbx::MenuRef menu, uint16_t item) {
    tbx::Str255 text{};
    tbx::GetMenuItemText(menu, item, text);
    return tbx::FMGetFontFamilyFromName(text);
}

void CBK_FontDialog::_GetFonts() {
    _FreeFonts();
    m_hFontMenu = tbx::NewMenu(kFontMenuId, nullptr);
    tbx::ItemCount count = 0;
    if (!m_hFontMenu ||
        tbx::CreateStandardFontMenu(m_hFontMenu, 0, m_nFirstHierMenuId,
                                    tbx::kHierarchicalFontMenuOption, &count) != tbx::noErr)
        return;
    m_nHierMenuCount = count;
    m_hCurrentMenu = m_hFontMenu;
    m_nCurrentItem = 0xFFFF;
    const uint16_t items = tbx::CountMenuItems(m_hFontMenu);
    // Collected first and compared after, so that a menu with more submenus than reported
    // is refused rather than overrunning the array.
    for (uint16_t i = 1; i <= items; ++i)
        if (_GetSubmenu(i))
            m_ParentItems.push_back(i);
    if (m_ParentItems.size() != m_nHierMenuCount) {
        m_ParentItems.clear();
        return;
    }
    for (uint16_t i = 1; i <= items; ++i) {
        tbx::FMFontFamily family = 0;
        tbx::FMFontStyle style = 0;
        tbx::FMFont font = 0;
        if (tbx::MenuRef submenu = _GetSubmenu(i)) {
            if (tbx::GetFontFamilyFromMenuSelection(submenu, 1, &family, &style) != tbx::noErr)
                continue;
            auto entry = std::make_unique<FONT_ENTRY>();
            entry->nItem = i;
            entry->nFamily = family;
            if (tbx::FMGetFontFromFontFamilyInstance(family, style, &font, nullptr) != tbx::noErr)
                entry->nFamily = _FamilyFromItemText(m_hFontMenu, i);
            const uint16_t faces = tbx::CountMenuItems(submenu);
            for (uint16_t j = 1; j <= faces; ++j) {
                if (tbx::GetFontFamilyFromMenuSelection(submenu, j, &family, &style) != tbx::noErr)
                    continue;
                tbx::Str255 text{};
                tbx::GetMenuItemText(submenu, j, text);
                auto face = std::make_unique<STYLE_ENTRY>();
                face->Set(uint16_t(style), text);
                face->nItem = j;
                face->hMenu = submenu;
                entry->styles.push_back(std::move(face));
            }
            m_Fonts.push_back(std::move(entry));
        } else if (tbx::GetFontFamilyFromMenuSelection(m_hFontMenu, i, &family, &style) ==
                       tbx::noErr &&
                   tbx::FMGetFontFromFontFamilyInstance(family, style, &font, nullptr) ==
                       tbx::noErr) {
            auto entry = std::make_unique<FONT_ENTRY>();
            entry->nItem = i;
            entry->nFamily = family;
            m_Fonts.push_back(std::move(entry));
        }
    }
}

std::wstring CBK_FontDialog::_FamilyName(int16_t family) {
    tbx::Str255 name{};
    tbx::FMGetFontFamilyName(family, name);
    tbx::TextEncoding encoding = 0;
    tbx::FMGetFontFamilyTextEncoding(family, &encoding);
    BK_DecodeMacFontName(name, encoding);
    std::wstring out;
    for (int i = 1; i <= name[0]; ++i)
        out.push_back(wchar_t(name[i]));
    return out;
}

void CBK_FontDialog::_Init() {
    // A row's value is its entry's position in m_Fonts (or in the entry's styles).
    for (std::size_t i = 0; i < m_Fonts.size(); ++i)
        InsertRow(m_FontList, _FamilyName(m_Fonts[i]->nFamily).c_str(), int32_t(i));
    for (const wchar_t* size : kSizes)
        InsertRow(m_SizeList, size, 0);
}

void CBK_FontDialog::OnFontSelectionChanged(_BK_LVITEM* item) {
    m_StyleList.DeleteAllItems();
    if (!item || item->iItem < 0 || std::size_t(item->iItem) >= m_Fonts.size())
        return;
    const FONT_ENTRY& entry = *m_Fonts[std::size_t(item->iItem)];
    m_FamilyEdit.SetText(_FamilyName(entry.nFamily).c_str(), true);
    for (std::size_t s = 0; s < entry.styles.size(); ++s)
        InsertRow(m_StyleList, entry.styles[s]->name.c_str(), int32_t(s));
    if (entry.styles.empty())
        InsertRow(m_StyleList, L"Regular", 0);
    m_StyleList.SelectItem(0, true);
}

void CBK_FontDialog::OnStyleSelectionChanged(_BK_LVITEM* item) {
    wchar_t text[256];
    if (item && m_StyleList.GetItemText(uint32_t(item->iItem), 0, text, 256))
        m_StyleEdit.SetText(text, true);
}

void CBK_FontDialog::OnSizeSelectionChanged(_BK_LVITEM* item) {
    wchar_t text[256];
    if (item && m_SizeList.GetItemText(uint32_t(item->iItem), 0, text, 256))
        m_SizeEdit.SetText(text, true);
}

int32_t CBK_FontDialog::_FindFontRow(uint16_t item) {
    for (std::size_t i = 0; i < m_Fonts.size(); ++i)
        if (m_Fonts[i]->nItem == item)
            return int32_t(i);
    return -1;
}

bool CBK_FontDialog::_SetCurrentFont(const CBK_Font& font) {
    const int32_t wantFamily = font.GetMacFontId();
    const uint16_t wantStyle = font.GetMacFontStyle();
    const uint16_t items = m_hFontMenu ? tbx::CountMenuItems(m_hFontMenu) : 0;
    bool found = false;
    for (uint16_t i = 1; i <= items && !found; ++i) {
        tbx::FMFontFamily family = 0;
        tbx::FMFontStyle style = 0;
        const int32_t row = _FindFontRow(i);
        if (tbx::MenuRef submenu = _GetSubmenu(i)) {
            const uint16_t faces = tbx::CountMenuItems(submenu);
            for (uint16_t j = 1; j <= faces && !found; ++j) {
                if (tbx::GetFontFamilyFromMenuSelection(submenu, j, &family, &style) !=
                        tbx::noErr ||
                    family != wantFamily || uint16_t(style) != wantStyle || row < 0)
                    continue;
                found = true;
                m_FontList.SelectItem(uint32_t(row), true);
                // Single selection: the face's row replaces row 0.
                const auto& styles = m_Fonts[std::size_t(row)]->styles;
                for (std::size_t s = 0; s < styles.size(); ++s)
                    if (styles[s]->nItem == j)
                        m_StyleList.SelectItem(uint32_t(s), true);
            }
        } else {
            if (tbx::GetFontFamilyFromMenuSelection(m_hFontMenu, i, &family, &style) != tbx::noErr)
                family = _FamilyFromItemText(m_hFontMenu, i);
            if (family == wantFamily && uint16_t(style) == wantStyle && row >= 0) {
                found = true;
                m_FontList.SelectItem(uint32_t(row), true);
            }
        }
    }
    return _SetFontSize(font.GetSize());
}

bool CBK_FontDialog::_GetCurrentFont(CBK_Font& font) {
    tbx::MenuRef menu = m_hFontMenu;
    uint16_t item = 0;
    const int32_t row = m_FontList.GetSelection();
    if (row >= 0 && std::size_t(row) < m_Fonts.size()) {
        const FONT_ENTRY& entry = *m_Fonts[std::size_t(row)];
        const int32_t s = m_StyleList.GetSelection();
        if (!entry.styles.empty() && s >= 0 && std::size_t(s) < entry.styles.size()) {
            menu = entry.styles[std::size_t(s)]->hMenu;
            item = uint16_t(s + 1);
        } else if (entry.styles.empty()) {
            item = entry.nItem;
        }
    }
    tbx::FMFontFamily family = 0;
    tbx::FMFontStyle style = 0;
    if (tbx::GetFontFamilyFromMenuSelection(menu, item, &family, &style) == tbx::noErr) {
        if (family < 0)
            family = _FamilyFromItemText(menu, item);
        font.SetMacFontId(family);
    } else {
        style = 0;
    }
    font.SetMacFontStyle(uint16_t(style));
    // Text that is no size ("abc", "0") keeps the size the font had.
    const int32_t size = _GetFontSize();
    if (size > 0)
        font.SetSize(size);
    return true;
}

int32_t CBK_FontDialog::_GetFontFamily() {
    const int32_t row = m_FontList.GetSelection();
    return row >= 0 && std::size_t(row) < m_Fonts.size() ? m_Fonts[std::size_t(row)]->nFamily : 0;
}

uint16_t CBK_FontDialog::_GetFontStyle() {
    const int32_t row = m_FontList.GetSelection(), s = m_StyleList.GetSelection();
    if (row < 0 || std::size_t(row) >= m_Fonts.size())
        return 0;
    const auto& styles = m_Fonts[std::size_t(row)]->styles;
    return s >= 0 && std::size_t(s) < styles.size() ? styles[std::size_t(s)]->nStyle : 0;
}

int32_t CBK_FontDialog::_GetFontSize() {
    return m_SizeEdit.GetTextAsNumber();
}

bool CBK_FontDialog::_SetFontFamily(int32_t family) {
    uint32_t row = 0;
    for (std::size_t i = 0; i < m_Fonts.size(); ++i)
        if (m_Fonts[i]->nFamily == family) {
            row = uint32_t(i);
            break;
        }
    m_FontList.SelectItem(row, true);
    return true;
}

bool CBK_FontDialog::_SetFontStyle(uint16_t style) {
    const int32_t row = m_FontList.GetSelection();
    uint32_t s = 0;
    if (row >= 0 && std::size_t(row) < m_Fonts.size()) {
        const auto& styles = m_Fonts[std::size_t(row)]->styles;
        for (std::size_t i = 0; i < styles.size(); ++i)
            if (styles[i]->nStyle == style) {
                s = uint32_t(i);
                break;
            }
    }
    m_StyleList.SelectItem(s, true);
    return true;
}

bool CBK_FontDialog::_SetFontSize(int32_t size) {
    const std::wstring text = std::to_wstring(size);
    for (uint32_t i = 0; i < std::size(kSizes); ++i)
        if (text == kSizes[i]) {
            m_SizeList.SelectItem(i, true);
            return true;
        }
    m_SizeEdit.SetTextWithNumber(size, true);
    return true;
}

uint16_t CBK_FontDialog::_GetFontMenuParentItem(tbx::MenuRef submenu) {
    for (uint16_t item : m_ParentItems)
        if (_GetSubmenu(item) == submenu)
            return item;
    return 0;
}

uint32_t CBK_FontDialog::SelectAndGetFont(tbx::MenuRef menu, uint16_t item) {
    if (m_nCurrentItem < 0xFFFF && tbx::IsValidMenu(m_hCurrentMenu)) {
        tbx::CheckMenuItem(m_hCurrentMenu, m_nCurrentItem, false);
        if (tbx::GetMenuID(m_hCurrentMenu) >= 100)
            if (uint16_t parent = _GetFontMenuParentItem(m_hCurrentMenu))
                tbx::SetItemMark(m_hFontMenu, parent, 0);
    }
    tbx::CheckMenuItem(menu, item, true);
    if (tbx::GetMenuID(menu) >= 100)
        if (uint16_t parent = _GetFontMenuParentItem(menu))
            tbx::SetItemMark(m_hFontMenu, parent, tbx::kCheckCharCode);
    m_hCurrentMenu = menu;
    m_nCurrentItem = item;
    tbx::FMFontFamily family = 0;
    tbx::FMFontStyle style = 0;
    tbx::FMFont font = 0;
    if (tbx::GetFontFamilyFromMenuSelection(menu, item, &family, &style) != tbx::noErr ||
        tbx::FMGetFontFromFontFamilyInstance(family, style, &font, nullptr) != tbx::noErr)
        return 0;
    return font;
}
