#include "platform/movie/controller_bar.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/fonts/text_drawing.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/text_state.h"

namespace tbx {

namespace {

constexpr SInt16 kButtonWidth = 16;
constexpr SInt16 kTimeWidth = 40;
constexpr SInt16 kGap = 6;
// A click this near either end of the groove still scrubs.
constexpr SInt16 kTrackSlack = 3;

constexpr RGBColor kBarColor{0xDDDD, 0xDDDD, 0xDDDD};
constexpr RGBColor kButtonColor{0xC4C4, 0xC4C4, 0xC4C4};
constexpr RGBColor kGrooveColor{0x8080, 0x8080, 0x8080};
constexpr RGBColor kInkColor{0x2020, 0x2020, 0x2020};

Rect Box(int top, int left, int bottom, int right) {
    return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}

void Paint(const RGBColor& color, const Rect& rect) {
    RGBForeColor(&color);
    PaintRect(&rect);
}

// A triangle pointing right, or two bars.
void DrawButtonGlyph(const Rect& button, bool playing) {
    const int top = button.top + 4, bottom = button.bottom - 4, left = button.left + 5;
    if (playing) {
        Paint(kInkColor, Box(top, left, bottom, left + 2));
        Paint(kInkColor, Box(top, left + 4, bottom, left + 6));
        return;
    }
    for (int column = 0; column < 7; ++column)
        Paint(kInkColor,
              Box(top + column / 2, left + column, bottom - column / 2, left + column + 1));
}

std::u32string TimeText(TimeValue time, TimeScale scale) {
    const int64_t seconds = scale > 0 ? int64_t(time) / scale : 0;
    const int64_t rest = seconds % 60;
    std::string text =
        std::to_string(seconds / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
    return std::u32string(text.begin(), text.end());
}

} // namespace

ControllerBarLayout LayOutControllerBar(const Rect& bar) {
    ControllerBarLayout layout;
    layout.bar = bar;
    const int width = bar.right - bar.left;
    layout.button =
        Box(bar.top, bar.left, bar.bottom, bar.left + std::min<int>(kButtonWidth, width));
    int trackRight = bar.right - kGap;
    if (width >= kButtonWidth + 2 * kGap + 2 * kTimeWidth) {
        layout.time = Box(bar.top, bar.right - kTimeWidth, bar.bottom, bar.right);
        trackRight = layout.time.left - kGap;
    }
    const int trackLeft = layout.button.right + kGap;
    if (trackRight > trackLeft)
        layout.track = Box(bar.top + 6, trackLeft, bar.top + 10, trackRight);
    return layout;
}

ControllerBarPart ControllerBarPartAt(const ControllerBarLayout& layout, Point p) {
    const Rect& bar = layout.bar;
    if (p.v < bar.top || p.v >= bar.bottom || p.h < bar.left || p.h >= bar.right)
        return ControllerBarPart::None;
    if (p.h < layout.button.right)
        return ControllerBarPart::Button;
    const Rect& track = layout.track;
    if (track.right > track.left && p.h >= track.left - kTrackSlack &&
        p.h < track.right + kTrackSlack)
        return ControllerBarPart::Scrubber;
    return ControllerBarPart::None;
}

double ScrubberFraction(const ControllerBarLayout& layout, Point p) {
    const int length = layout.track.right - layout.track.left;
    if (length <= 1)
        return 0.0;
    return std::clamp(double(p.h - layout.track.left) / (length - 1), 0.0, 1.0);
}

SInt16 PlayHeadColumn(const ControllerBarLayout& layout, double fraction) {
    const int length = layout.track.right - layout.track.left;
    return SInt16(layout.track.left +
                  std::lround(std::clamp(fraction, 0.0, 1.0) * std::max(length - 1, 0)));
}

void DrawControllerBar(const ControllerBarLayout& layout, bool playing, double fraction,
                       TimeValue time, TimeScale scale) {
    Paint(kBarColor, layout.bar);
    Paint(kButtonColor, layout.button);
    DrawButtonGlyph(layout.button, playing);
    const Rect& track = layout.track;
    if (track.right > track.left) {
        Paint(kGrooveColor, track);
        const int head = PlayHeadColumn(layout, fraction);
        Paint(kInkColor, Box(layout.bar.top + 3, head - 2, layout.bar.bottom - 3, head + 3));
    }
    if (layout.time.right > layout.time.left) {
        const std::u32string text = TimeText(time, scale);
        RGBForeColor(&kInkColor);
        TextFont(0);
        TextSize(10);
        MoveTo(SInt16(layout.time.left + 2), SInt16(layout.time.bottom - 4));
        DrawUnicodeText(text.data(), text.size());
    }
}

} // namespace tbx
