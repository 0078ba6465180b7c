// CBK_ProgressDialog: the modeless window of long operations (two lines of text, a progress
// bar and Cancel). Every update yields, redraws and dispatches at most one pending event, so
// that a Cancel click sets the cancelled flag of the shared CBK_ProgressData while the work
// goes on.
#pragma once

#include <cstdint>

#include "ui/base/dialog.h"
#include "ui/controls/button.h"
#include "ui/controls/progress_bar.h"
#include "ui/controls/static_text.h"

class CBK_ProgressData {
public:
    CBK_ProgressData() { CBK_ProgressData::SetDefaults(); }
    virtual ~CBK_ProgressData() = default;
    virtual void SetDefaults() {
        m_nMinimum = 0;
        m_nMaximum = 100;
        m_bCancelled = false;
        m_bCompleted = false;
        m_nUserValue = 0;
    }

    int32_t m_nMinimum;
    int32_t m_nMaximum;
    bool m_bCancelled;
    bool m_bCompleted;
    int32_t m_nUserValue;
};

class CBK_ProgressDialog : public CBK_Dialog {
public:
    struct PROGRESS_SETTINGS {
        int32_t m_nMinimum = 0;
        int32_t m_nMaximum = 100;
        const wchar_t* m_pTitle = nullptr;
        bool m_bOption = false;
        bool m_bUtilityWindow = false;
    };

    CBK_ProgressDialog() = default;
    ~CBK_ProgressDialog() override;

    bool OnInit() override;
    bool OnClose() override { return false; }
    bool OnCommand(uint32_t command, tbx::EventRef& event) override;

    virtual bool Destroy();
    virtual void SetMessage(const wchar_t* text);
    virtual void SetMessage(int32_t stringId);
    virtual void OnQuickTimeUpdatePercent(int32_t) {}
    virtual void UpdateUserData() {}
    virtual void _GetWindowCreationBounds(tbx::Rect& bounds);
    virtual void _InitControls();
    virtual void _Reset();

    using CBK_Dialog::DoModal;
    // Shows the window and returns at once: 0, or -1 when the window cannot be made. A
    // window from an earlier run is reused with the new range and title.
    int32_t DoModal(tbx::WindowRef parent, PROGRESS_SETTINGS& settings, CBK_ProgressData* data);
    void SetMessage2(const wchar_t* text);
    void SetMessage2(int32_t stringId);
    void SetProgress(int32_t value);
    void IncrementProgress(int32_t delta);
    void SetProgressMin();
    void SetProgressMax();
    // Changes the range only; handles no event.
    void SetProgressRange(int32_t minimum, int32_t maximum);
    int32_t GetProgress();
    void Reset();
    void SetProgressCompleted();
    void Cancel();

protected:
    // Yields, applies the change, then dispatches at most one pending event without waiting.
    template <typename Change>
    void _Pump(Change change);

    CBK_ControlProgressBar m_ProgressBar;
    CBK_ControlStaticText m_Message;
    CBK_ControlStaticText m_Message2;
    CBK_ControlButton m_CancelButton;
    PROGRESS_SETTINGS* m_pSettings = nullptr;
    CBK_ProgressData* m_pData = nullptr;
};
