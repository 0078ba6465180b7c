// The controls with which the filter dialog edits one filter's settings. They live apart from
// the filters so that filters run and save without any window; BK_MakeFilterControls picks
// the set that fits a filter's class.
#pragma once

#include <cstdint>
#include <memory>

#include "media/filters/image_filter.h"
#include "platform/windows/carbon_types.h"

class CBK_Dialog;

class CBK_ImageFilterControls {
public:
    virtual ~CBK_ImageFilterControls() = default;
    // Grows the dialog and builds the controls inside `area`; a filter without settings
    // builds none.
    virtual bool InitControls(CBK_Dialog& dialog, tbx::Rect& area);
    // Lets go of every control; safe to call again, and after the window has gone.
    virtual bool KillControls();
    // True when the code is one of these controls' (the setting then follows the control).
    virtual bool OnCommand(uint32_t code, tbx::EventRef& event);
    virtual bool OnNotify(int32_t, int32_t) { return false; }
    virtual bool OnScroll(int32_t, int32_t) { return false; }
};

// The controls for the filter, which must outlive them.
std::unique_ptr<CBK_ImageFilterControls> BK_MakeFilterControls(CBK_ImageFilter& filter);

// Sets the dialog's height to its current height plus `pixels`.
void BK_ExpandDialogHeight(CBK_Dialog& dialog, int32_t pixels);
