// Pop-up buttons and data browsers as the nib gives them.
#include "platform/windows/control_family.h"

namespace tbx::windows_detail {

namespace {

class Popups final : public ControlFamily {
public:
    ControlPartCode PartAt(const Control&, Point) const override { return kControlMenuPart; }
};

class Browsers final : public ControlFamily {
public:
    ControlPartCode PartAt(const Control&, Point) const override { return kControlLabelPart; }
    bool TakesFocus(const Control&) const override { return true; }
};

} // namespace

const ControlFamily& PopupFamily() {
    static const Popups family;
    return family;
}

const ControlFamily& BrowserFamily() {
    static const Browsers family;
    return family;
}

} // namespace tbx::windows_detail
