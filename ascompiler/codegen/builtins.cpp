#include "ascompiler/codegen/builtins.h"

#include <limits>

namespace translate {

Builtins::Builtins() {
    // Condition bits as the button-condition word of the SWF format lays them out:
    // releaseOutside is OutDownToIdle (0x40); dragOut is OverDownToOutDown with
    // OverDownToIdle (0x110).
    m_buttonEvents = {
        {"rollOver", 0x1},        {"rollOut", 0x2},       {"press", 0x4},     {"release", 0x8},
        {"releaseOutside", 0x40}, {"dragOver", 0xA0},     {"dragOut", 0x110}, {"releaseOut", 0x40},
        {"menuDragOver", 0x80},   {"menuDragOut", 0x100}, {"<left>", 512},    {"<right>", 1024},
        {"<home>", 1536},         {"<end>", 2048},        {"<insert>", 2560}, {"<delete>", 3072},
        {"<backspace>", 4096},    {"<enter>", 6656},      {"<up>", 7168},     {"<down>", 7680},
        {"<pageUp>", 8192},       {"<pageDown>", 8704},   {"<tab>", 9216},    {"<escape>", 9728},
        {"<space>", 16384}};
    m_clipEvents = {{"load", 1},      {"enterFrame", 2}, {"unload", 4},
                    {"mouseMove", 8}, {"mouseDown", 16}, {"mouseUp", 32},
                    {"keyDown", 64},  {"keyUp", 128},    {"data", 256}};
    const char* const properties[] = {
        "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
        "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
        "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
        "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
        "_xmouse",      "_ymouse"};
    for (int i = 0; i < 22; ++i)
        m_properties[properties[i]] = i;

    const std::pair<const char*, int> keys[] = {
        {"Key.BACKSPACE", 8}, {"Key.CAPSLOCK", 20}, {"Key.CONTROL", 17}, {"Key.DELETEKEY", 46},
        {"Key.DOWN", 40},     {"Key.END", 35},      {"Key.ENTER", 13},   {"Key.ESCAPE", 27},
        {"Key.HOME", 36},     {"Key.INSERT", 45},   {"Key.LEFT", 37},    {"Key.PGDN", 34},
        {"Key.PGUP", 33},     {"Key.RIGHT", 39},    {"Key.SHIFT", 16},   {"Key.SPACE", 32},
        {"Key.TAB", 9},       {"Key.UP", 38}};
    for (const auto& [name, code] : keys)
        m_constants[name] = ValuePtr(new Integer(code));
    using limits = std::numeric_limits<double>;
    const std::pair<const char*, double> numbers[] = {
        {"Math.E", 2.718281828459045},
        {"Math.LN2", 0.6931471805599453},
        {"Math.LOG2E", 1.4426950408889634},
        {"Math.LN10", 2.302585092994046},
        {"Math.LOG10E", 0.4342944819032518},
        {"Math.PI", 3.141592653589793},
        {"Math.SQRT1_2", 0.7071067811865476},
        {"Math.SQRT2", 1.4142135623730951},
        {"Number.NaN", limits::quiet_NaN()},
        {"Number.NEGATIVE_INFINITY", -limits::infinity()},
        {"Number.POSITIVE_INFINITY", limits::infinity()},
        {"Number.MAX_VALUE", limits::max()},
        {"Number.MIN_VALUE", limits::denorm_min()}};
    for (const auto& [name, value] : numbers)
        m_constants[name] = ValuePtr(new Double(value));

    m_functions = {"delete", "duplicateMovieClip", "eval", "fscommand", "getProperty", "getTimer",
                   "getURL", "getVersion", "gotoAndPlay", "gotoAndStop", "hitTest", "loadMovie",
                   "loadVariables", "nextFrame", "nextScene", "Number", "play", "prevFrame",
                   "prevScene", "print", "printAsBitmap", "removeMovieClip", "set", "setProperty",
                   "startDrag", "stop", "stopAllSounds", "stopDrag", "String", "targetPath",
                   "toggleHighQuality", "trace", "typeof", "unloadMovie", "void",
                   // The string and number functions of the older players, which the player
                   // offers only as actions.
                   "int", "chr", "ord", "substring"};
    m_discardFunctions = {"delete",        "duplicateMovieClip",
                          "fscommand",     "getURL",
                          "gotoAndPlay",   "gotoAndStop",
                          "loadMovie",     "loadMovieNum",
                          "nextFrame",     "nextScene",
                          "play",          "prevFrame",
                          "prevScene",     "print",
                          "printAsBitmap", "printAsBitmapNum",
                          "printNum",      "removeMovieClip",
                          "setProperty",   "startDrag",
                          "stop",          "stopAllSounds",
                          "stopDrag",      "toggleHighQuality",
                          "trace",         "unloadMovie",
                          "unloadMovieNum"};
}

int Builtins::buttonEvent(const std::string& name) const {
    auto it = m_buttonEvents.find(name);
    return it == m_buttonEvents.end() ? -1 : it->second;
}

int Builtins::clipEvent(const std::string& name) const {
    auto it = m_clipEvents.find(name);
    return it == m_clipEvents.end() ? 0 : it->second;
}

int Builtins::propertyIndex(const std::string& name) const {
    auto it = m_properties.find(name);
    return it == m_properties.end() ? 0 : it->second;
}

Value* Builtins::getConstant(const std::string& name) const {
    return m_constants.at(name)->clone();
}

} // namespace translate
