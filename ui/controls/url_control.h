// CBK_ControlUrl: a static text shown as an underlined link that opens its URL in the user's
// browser when clicked. An empty URL opens nothing.
#pragma once

#include <string>

#include "ui/base/control.h"

class CBK_ControlUrl : public CBK_Control {
public:
    ~CBK_ControlUrl() override;
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* text) override;
    bool OnInit() override;
    bool SetUrl(const wchar_t* url);
    const std::wstring& GetUrl() const { return m_Url; }
    bool SetText(const wchar_t* text, bool redraw);
    bool SetText(const unsigned char* pascal, bool redraw);
    // `length` is the capacity on entry and the text's length on return.
    bool GetText(wchar_t* buffer, int32_t& length);
    bool OnClickUrl();

private:
    static tbx::OSStatus _OnMouse(tbx::EventHandlerCallRef call, tbx::EventRef event, void* data);

    std::wstring m_Url;
    tbx::EventHandlerRef m_hHandler = nullptr;
};
