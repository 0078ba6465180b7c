// CBK_FontDialog: picks a font family, a typeface of that family and a point size from the
// system's standard hierarchical font menu, shown as three lists; or, when the process-wide
// switch asks for it on 10.2 or later, hands over to the system font panel.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/fonts/font.h"
#include "platform/windows/menus.h"
#include "ui/base/dialog.h"
#include "ui/controls/button.h"
#include "ui/controls/edit_box.h"
#include "ui/controls/list_view.h"
#include "ui/controls/static_text.h"

class CBK_FontDialog : public CBK_Dialog {
public:
    struct STYLE_ENTRY {
        uint16_t nItem = 0;
        tbx::MenuRef hMenu = nullptr;
        uint16_t nStyle = 0;
        std::wstring name;
        // Each byte of the length-prefixed name becomes one character.
        void Set(uint16_t style, const unsigned char* pascalName);
    };
    struct FONT_ENTRY {
        uint16_t nItem = 0;
        int16_t nFamily = 0;
        std::vector<std::unique_ptr<STYLE_ENTRY>> styles; // empty without a submenu
    };
    struct FRAME {
        int32_t x = 100, y = 100, width = 500, height = 320;
    };

    CBK_FontDialog() = default;
    ~CBK_FontDialog() override;

    static void UseSystemFontChooser(bool use) { s_bUseSystemFontChooser = use; }
    static bool UseSystemFontChooser() { return s_bUseSystemFontChooser; }

    // 'ok  ' or 'not!' from the dialog; 0 when the system panel was asked for; -1 when the
    // window cannot be made.
    using CBK_Dialog::DoModal;
    int32_t DoModal(CBK_Font& font, tbx::WindowRef parent, const tbx::Rect* frame = nullptr);
    const FRAME& GetFrame() const { return m_Frame; }

    bool OnInit() override;
    bool OnClose() override;
    bool OnCommand(uint32_t command, tbx::EventRef& event) override;
    bool OnSize(int32_t width, int32_t height) override;

    uint32_t SelectAndGetFont(tbx::MenuRef menu, uint16_t item);
    void OnFontSelectionChanged(_BK_LVITEM* item);
    void OnStyleSelectionChanged(_BK_LVITEM* item);
    void OnSizeSelectionChanged(_BK_LVITEM* item);

    int32_t _GetFontFamily();
    uint16_t _GetFontStyle();
    int32_t _GetFontSize();
    bool _SetFontFamily(int32_t family);
    bool _SetFontStyle(uint16_t style);
    bool _SetFontSize(int32_t size);
    bool _SetCurrentFont(const CBK_Font& font);
    bool _GetCurrentFont(CBK_Font& font);

    // The controls, for callers that lay out or inspect the dialog.
    CBK_ControlListView& GetFontList() { return m_FontList; }
    CBK_ControlListView& GetStyleList() { return m_StyleList; }
    CBK_ControlListView& GetSizeList() { return m_SizeList; }
    CBK_ControlEditBox& GetSizeEdit() { return m_SizeEdit; }
    const std::vector<std::unique_ptr<FONT_ENTRY>>& GetEntries() const { return m_Fonts; }
    tbx::MenuRef GetFontMenu() const { return m_hFontMenu; }

private:
    struct LAYOUT {
        int32_t width = 0, height = 0;
        int32_t familyEditWidth = 0, fontListWidth = 0, fontListHeight = 0;
        int32_t typefaceLabelLeft = 0, styleEditLeft = 0, styleListLeft = 0, styleListWidth = 0;
        int32_t sizeLabelLeft = 0, sizeEditLeft = 0, sizeListLeft = 0, sizeListWidth = 0;
        int32_t okLeft = 0, applyLeft = 0, cancelLeft = 0;
    };

    void _GetFonts();
    void _Init();
    void _FreeFonts();
    tbx::MenuRef _GetSubmenu(uint16_t item);
    uint16_t _GetFontMenuParentItem(tbx::MenuRef submenu);
    int32_t _FindFontRow(uint16_t item);
    std::wstring _FamilyName(int16_t family);
    int16_t _FamilyFromItemText(tbx::MenuRef menu, uint16_t item);

    static bool s_bUseSystemFontChooser;

    CBK_Font* m_pTarget = nullptr;
    FRAME m_Frame;
    tbx::MenuRef m_hCurrentMenu = nullptr;
    uint16_t m_nCurrentItem = 0xFFFF;
    std::vector<uint16_t> m_ParentItems;
    uint32_t m_nHierMenuCount = 0;
    uint16_t m_nFirstHierMenuId = 100;
    std::vector<std::unique_ptr<FONT_ENTRY>> m_Fonts;
    tbx::MenuRef m_hFontMenu = nullptr;
    CBK_ControlListView m_FontList, m_StyleList, m_SizeList;
    CBK_ControlEditBox m_FamilyEdit, m_StyleEdit, m_SizeEdit;
    CBK_ControlStaticText m_FamilyLabel, m_StyleLabel, m_SizeLabel;
    CBK_ControlButton m_OK, m_Cancel, m_Apply;
    LAYOUT m_Layout;
};
