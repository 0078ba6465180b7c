// The Color Picker: GetColor asks the user for a colour. Nothing is shown: each call takes
// the next scripted answer of the test driver and records its prompt and start colour. A
// call with no answer scripted reports a failure and is taken as a cancel.
#pragma once

#include <string>
#include <vector>

#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"

namespace tbx {

// True when the user accepted; `out` then holds the chosen colour (else `in`).
Boolean GetColor(Point where, ConstStr255Param prompt, const RGBColor* in, RGBColor* out);

namespace test {
void ScriptColorAnswer(bool accept, RGBColor color = {});
struct ColorPrompt {
    std::string prompt; // Mac Roman bytes
    RGBColor start;
    Point where;
    std::size_t visibleWindows = 0; // while the picker was open
};
const std::vector<ColorPrompt>& ColorPrompts();
void ResetColorPicker();
} // namespace test

} // namespace tbx
