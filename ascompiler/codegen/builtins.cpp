#include "ascompiler/codegen/builtins.h"

#include "ascompiler/codegen/name_hash.h"

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <vector>

namespace translate {

// Open addressing over the names: every identifier of a script is looked up, most of them
// in vain, so a miss must cost one hash and a probe or two.
struct NameTable {
    static constexpr size_t kSlots = 512;

    struct Constant {
        bool integer;
        double value;
    };

    std::vector<BuiltinName> names;
    std::vector<Constant> constants;
    uint16_t slots[kSlots] = {}; // index + 1 into names; 0 is empty

    BuiltinName& entry(std::string_view name) {
        size_t at = NameHash(name) & (kSlots - 1);
        for (; slots[at]; at = (at + 1) & (kSlots - 1))
            if (names[slots[at] - 1].name == name)
                return names[slots[at] - 1];
        names.push_back(BuiltinName{name});
        slots[at] = static_cast<uint16_t>(names.size());
        return names.back();
    }

    const BuiltinName* find(std::string_view name) const {
        for (size_t at = NameHash(name) & (kSlots - 1); slots[at]; at = (at + 1) & (kSlots - 1)) {
            const BuiltinName& entry = names[slots[at] - 1];
            if (entry.name.size() == name.size() &&
                SameName(entry.name.data(), name.data(), name.size()))
                return &entry;
        }
        return nullptr;
    }

    NameTable();
};

NameTable::NameTable() {
    names.reserve(160);
    // Condition bits as the button-condition word of the SWF format lays them out:
    // releaseOutside is OutDownToIdle (0x40); dragOut is OverDownToOutDown with
    // OverDownToIdle (0x110).
    const std::pair<const char*, int> buttonEvents[] = {
        {"rollOver", 0x1},        {"rollOut", 0x2},       {"press", 0x4},     {"release", 0x8},
        {"releaseOutside", 0x40}, {"dragOver", 0xA0},     {"dragOut", 0x110}, {"releaseOut", 0x40},
        {"menuDragOver", 0x80},   {"menuDragOut", 0x100}, {"<left>", 512},    {"<right>", 1024},
        {"<home>", 1536},         {"<end>", 2048},        {"<insert>", 2560}, {"<delete>", 3072},
        {"<backspace>", 4096},    {"<enter>", 6656},      {"<up>", 7168},     {"<down>", 7680},
        {"<pageUp>", 8192},       {"<pageDown>", 8704},   {"<tab>", 9216},    {"<escape>", 9728},
        {"<space>", 16384}};
    for (const auto& [name, bits] : buttonEvents)
        entry(name).buttonEvent = bits;
    const std::pair<const char*, int> clipEvents[] = {
        {"load", 1},     {"enterFrame", 2}, {"unload", 4},  {"mouseMove", 8}, {"mouseDown", 16},
        {"mouseUp", 32}, {"keyDown", 64},   {"keyUp", 128}, {"data", 256}};
    for (const auto& [name, flag] : clipEvents)
        entry(name).clipEvent = flag;
    const char* const properties[] = {
        "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
        "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
        "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
        "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
        "_xmouse",      "_ymouse"};
    for (int i = 0; i < 22; ++i)
        entry(properties[i]).property = i;

    const std::pair<const char*, int> keys[] = {
        {"Key.BACKSPACE", 8}, {"Key.CAPSLOCK", 20}, {"Key.CONTROL", 17}, {"Key.DELETEKEY", 46},
        {"Key.DOWN", 40},     {"Key.END", 35},      {"Key.ENTER", 13},   {"Key.ESCAPE", 27},
        {"Key.HOME", 36},     {"Key.INSERT", 45},   {"Key.LEFT", 37},    {"Key.PGDN", 34},
        {"Key.PGUP", 33},     {"Key.RIGHT", 39},    {"Key.SHIFT", 16},   {"Key.SPACE", 32},
        {"Key.TAB", 9},       {"Key.UP", 38}};
    for (const auto& [name, code] : keys) {
        entry(name).constant = static_cast<int>(constants.size());
        constants.push_back({true, static_cast<double>(code)});
    }
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
    for (const auto& [name, value] : numbers) {
        entry(name).constant = static_cast<int>(constants.size());
        constants.push_back({false, value});
    }

    // Built-in functions: their forms, the argument counts they take and their actions.
    struct Function {
        const char* name;
        CallForm form;
        std::initializer_list<int> counts;
        uint8_t action = 0;
        uint8_t action6 = 0;
    };
    using F = CallForm;
    const Function functions[] = {
        {"delete", F::Delete, {1}},
        {"duplicateMovieClip", F::Duplicate, {3}},
        {"eval", F::Eval, {1}},
        {"fscommand", F::FsCommand, {1, 2}},
        {"getProperty", F::GetProperty, {2}},
        {"getTimer", F::Actions, {0}, 0x34},
        {"getURL", F::GetUrl, {1, 2, 3}},
        {"getVersion", F::GetVersion, {0}},
        {"gotoAndPlay", F::Goto, {1, 2}},
        {"gotoAndStop", F::Goto, {1, 2}},
        {"hitTest", F::UserCall, {}},
        {"loadMovie", F::Load, {2, 3}},
        {"loadVariables", F::Load, {2, 3}},
        {"nextFrame", F::Actions, {0}, 0x04},
        {"nextScene", F::Scene, {0}},
        {"Number", F::Actions, {1}, 0x4A},
        {"play", F::Actions, {0}, 0x06},
        {"prevFrame", F::Actions, {0}, 0x05},
        {"prevScene", F::Scene, {0}},
        {"print", F::Print, {2}},
        {"printAsBitmap", F::Print, {2}},
        {"removeMovieClip", F::Actions, {1}, 0x25},
        {"set", F::Actions, {2}, 0x1D},
        {"setProperty", F::SetProperty, {3}},
        {"startDrag", F::StartDrag, {1, 2, 6}},
        {"stop", F::Actions, {0}, 0x07},
        {"stopAllSounds", F::Actions, {0}, 0x09},
        {"stopDrag", F::Actions, {0}, 0x28},
        {"String", F::Actions, {1}, 0x4B},
        {"targetPath", F::Actions, {1}, 0x45},
        {"toggleHighQuality", F::Actions, {0}, 0x08},
        {"trace", F::Actions, {1}, 0x26},
        {"typeof", F::Actions, {1}, 0x44},
        {"unloadMovie", F::UnloadMovie, {1}},
        {"void", F::Void, {1}, 0x17},
        // The string and number functions of the older players, which the player offers only
        // as actions; from SWF 6 strings are UTF-8, and the multibyte forms serve.
        {"int", F::Actions, {1}, 0x18},
        {"chr", F::Actions, {1}, 0x33, 0x37},
        {"ord", F::Actions, {1}, 0x32, 0x36},
        {"substring", F::Actions, {3}, 0x15, 0x35}};
    for (const Function& f : functions) {
        BuiltinName& name = entry(f.name);
        name.function = true;
        name.form = f.form;
        for (int count : f.counts)
            name.counts |= static_cast<uint8_t>(1u << count);
        name.action = f.action;
        name.action6 = f.action6 ? f.action6 : f.action;
    }
    const char* const discardFunctions[] = {"delete",        "duplicateMovieClip",
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
    for (const char* name : discardFunctions)
        entry(name).discard = true;
    const char* const readOnlyFunctions[] = {
        "eval",   "getProperty", "getTimer", "getVersion", "Number", "String",   "targetPath",
        "typeof", "void",        "int",      "chr",        "ord",    "substring"};
    for (const char* name : readOnlyFunctions)
        entry(name).readOnly = true;
}

namespace {

// Built once and never changed: every compiler shares it.
const NameTable& Table() {
    static const NameTable table;
    return table;
}

} // namespace

Builtins::Builtins() : m_table(Table()) {}

const BuiltinName* Builtins::find(std::string_view name) const {
    return m_table.find(name);
}

int Builtins::buttonEvent(std::string_view name) const {
    const BuiltinName* entry = find(name);
    return entry ? entry->buttonEvent : -1;
}

int Builtins::clipEvent(std::string_view name) const {
    const BuiltinName* entry = find(name);
    return entry ? entry->clipEvent : 0;
}

bool Builtins::isProperty(std::string_view name) const {
    // Every property name starts with an underscore; most names do not.
    if (name.empty() || name[0] != '_')
        return false;
    const BuiltinName* entry = find(name);
    return entry && entry->property >= 0;
}

int Builtins::propertyIndex(std::string_view name) const {
    const BuiltinName* entry = find(name);
    return entry && entry->property >= 0 ? entry->property : 0;
}

int Builtins::propertyNamed(std::string_view name) const {
    // The table holds every property name in lower case, none longer than this.
    char lower[16];
    if (name.empty() || name[0] != '_' || name.size() > sizeof lower)
        return -1;
    for (size_t i = 0; i < name.size(); ++i)
        lower[i] = static_cast<char>(name[i] >= 'A' && name[i] <= 'Z' ? name[i] + 32 : name[i]);
    const BuiltinName* entry = find(std::string_view(lower, name.size()));
    return entry ? entry->property : -1;
}

bool Builtins::isConstant(std::string_view name) const {
    const BuiltinName* entry = find(name);
    return entry && entry->constant >= 0;
}

Literal Builtins::constant(std::string_view name) const {
    const BuiltinName* entry = find(name);
    if (!entry || entry->constant < 0)
        throw std::out_of_range("not a constant");
    const NameTable::Constant& constant = m_table.constants[static_cast<size_t>(entry->constant)];
    if (constant.integer)
        return Literal::integer(static_cast<int32_t>(constant.value));
    return Literal::number(constant.value);
}

Value* Builtins::getConstant(std::string_view name) const {
    const Literal value = constant(name);
    if (value.type() == Value::kInteger)
        return new Integer(value.integerValue());
    return new Double(value.doubleValue());
}

bool Builtins::isFunction(std::string_view name) const {
    const BuiltinName* entry = find(name);
    return entry && entry->function;
}

bool Builtins::isDiscardFunction(std::string_view name) const {
    const BuiltinName* entry = find(name);
    return entry && entry->discard;
}

} // namespace translate
