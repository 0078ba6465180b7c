#include "platform/windows/color_picker.h"

#include <deque>

#include "platform/windows/test_driver.h"
#include "platform/windows/world.h"

namespace tbx {

namespace {

struct Answer {
    bool accept = false;
    RGBColor color;
};

struct Picker {
    std::deque<Answer> answers;
    std::vector<test::ColorPrompt> prompts;
};

Picker& ThePicker() {
    static Picker picker;
    return picker;
}

} // namespace

Boolean GetColor(Point where, ConstStr255Param prompt, const RGBColor* in, RGBColor* out) {
    Picker& picker = ThePicker();
    const RGBColor start = in ? *in : RGBColor{};
    std::string text;
    if (prompt)
        text.assign(reinterpret_cast<const char*>(prompt + 1), prompt[0]);
    picker.prompts.push_back({text, start, where, test::VisibleWindows().size()});
    if (out)
        *out = start;
    if (picker.answers.empty()) {
        windows_detail::ReportFailure("the colour picker \"" + text + "\" has no scripted answer");
        return false;
    }
    const Answer answer = picker.answers.front();
    picker.answers.pop_front();
    if (answer.accept && out)
        *out = answer.color;
    return answer.accept;
}

namespace test {

void ScriptColorAnswer(bool accept, RGBColor color) {
    ThePicker().answers.push_back({accept, color});
}

const std::vector<ColorPrompt>& ColorPrompts() {
    return ThePicker().prompts;
}

void ResetColorPicker() {
    ThePicker() = Picker{};
}

} // namespace test

} // namespace tbx
