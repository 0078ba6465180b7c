// Menus and menu bars from 'MENU' and 'MBAR' resources of the resource chain.
//
// A 'MENU' resource: the menu id, width, height, definition id and a filler word (2 bytes
// each), the enable flags (32 bits: bit 0 the menu, bit n item n), the title as a
// length-prefixed string, then per item its text, icon, key, mark and style bytes, ended by
// an empty text. An item whose key is 0x1B has the menu whose id is its mark byte as its
// submenu; an item whose text starts with "-" is a separator. An 'MBAR' resource: a count,
// then that many menu ids (16 bits each, big-endian).
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/text_encoding.h"
#include "platform/windows/menus.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace {

constexpr UInt8 kHierarchicalKey = 0x1B;
constexpr std::size_t kHeaderSize = 14;
constexpr std::size_t kMaxItems = 0x7FFF;
// What one menu tree or one menu bar may build in all. A real bar holds a few hundred items
// in menu resources of a few kilobytes (even a menu of every installed font family holds a
// few thousand items), while the layout would let one small 'MBAR' name a full menu 65,535
// times. Twice kMaxItems keeps any one full menu loadable; a bar then holds at most tens of
// megabytes, and reads at most kMaxReadBytes (a menu named again is read again).
constexpr std::size_t kMaxBuiltItems = 2 * kMaxItems;
constexpr std::size_t kMaxReadBytes = 64u << 20;

struct Budget {
    std::size_t items = kMaxBuiltItems;
    std::size_t bytes = kMaxReadBytes;
};

std::string ResourceBytes(ResType type, SInt16 id) {
    Handle handle = GetResource(type, id);
    if (!handle)
        return {};
    std::string bytes(*handle, GetHandleSize(handle));
    ReleaseResource(handle);
    return bytes;
}

class Cursor {
public:
    explicit Cursor(const std::string& bytes) : _bytes(bytes) {}
    bool Byte(UInt8& out) {
        if (_at >= _bytes.size())
            return false;
        out = UInt8(_bytes[_at++]);
        return true;
    }
    bool Pascal(std::u16string& out) {
        UInt8 length = 0;
        if (!Byte(length) || _bytes.size() - _at < length)
            return false;
        out.clear();
        for (std::size_t i = 0; i < length; ++i)
            out.push_back(text::MacRomanToUnicode(UInt8(_bytes[_at + i])));
        _at += length;
        return true;
    }
    bool Skip(std::size_t n) {
        if (_bytes.size() - _at < n)
            return false;
        _at += n;
        return true;
    }
    bool Peek(UInt8& out) const {
        if (_at >= _bytes.size())
            return false;
        out = UInt8(_bytes[_at]);
        return true;
    }

private:
    const std::string& _bytes;
    std::size_t _at = 0;
};

struct Parsed {
    MenuID id = 0;
    bool enabled = true;
    std::u16string title;
    std::vector<MenuItem> items;
    std::vector<std::pair<MenuItemIndex, SInt16>> submenus; // item, menu id
};

bool ParseMenu(const std::string& bytes, Parsed& out) {
    if (bytes.size() < kHeaderSize)
        return false;
    out.id = MenuID(UInt16(UInt8(bytes[0]) << 8 | UInt8(bytes[1])));
    UInt32 flags = 0;
    for (int i = 10; i < 14; ++i)
        flags = flags << 8 | UInt8(bytes[std::size_t(i)]);
    out.enabled = flags & 1;
    Cursor in(bytes);
    if (!in.Skip(kHeaderSize) || !in.Pascal(out.title))
        return false;
    for (;;) {
        UInt8 length = 0;
        if (!in.Peek(length))
            return false;
        if (length == 0)
            return true;
        if (out.items.size() == kMaxItems)
            return false;
        MenuItem item;
        UInt8 icon = 0, key = 0, mark = 0, style = 0;
        if (!in.Pascal(item.text) || !in.Byte(icon) || !in.Byte(key) || !in.Byte(mark) ||
            !in.Byte(style))
            return false;
        const std::size_t number = out.items.size() + 1;
        item.enabled = number > 31 || (flags >> number & 1);
        item.separator = !item.text.empty() && item.text[0] == u'-';
        if (key == kHierarchicalKey) {
            out.submenus.emplace_back(MenuItemIndex(number), SInt16(mark));
        } else {
            item.key = key;
            item.mark = mark;
        }
        out.items.push_back(std::move(item));
    }
}

// The menu of that id with its submenus, loaded without recursion; a menu that is already
// being loaded higher up is not attached again. What it reads and builds is taken from
// `budget`; null, with nothing left built, when that does not suffice or a menu cannot be
// made.
MenuRef LoadMenuTree(SInt16 resourceID, Budget& budget) {
    struct Pending {
        SInt16 id;
        MenuRef parent;
        MenuItemIndex item;
    };
    std::vector<Pending> pending{{resourceID, nullptr, 0}};
    std::set<SInt16> loaded;
    MenuRef top = nullptr;
    // Every menu made so far hangs below `top`.
    const auto abandon = [&top] {
        if (top)
            DisposeMenuTree(top);
        return MenuRef(nullptr);
    };
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        if (!loaded.insert(next.id).second)
            continue;
        const std::string bytes = ResourceBytes(FourCC("MENU"), next.id);
        Parsed parsed;
        const bool affordable = bytes.size() <= budget.bytes;
        const bool read = affordable && ParseMenu(bytes, parsed);
        if (!affordable || (read && parsed.items.size() > budget.items))
            return abandon();
        budget.bytes -= bytes.size();
        if (!read) {
            if (next.parent)
                continue; // a missing submenu leaves its item plain
            return nullptr;
        }
        budget.items -= parsed.items.size();
        MenuRef menu = NewMenu(parsed.id, nullptr);
        Menu* m = LiveMenu(menu);
        if (!m)
            return abandon();
        m->title = parsed.title;
        m->enabled = parsed.enabled;
        m->items = std::move(parsed.items);
        for (const auto& [item, id] : parsed.submenus)
            pending.push_back({id, menu, item});
        if (next.parent)
            SetMenuItemHierarchicalMenu(next.parent, next.item, menu);
        else
            top = menu;
    }
    return top;
}

} // namespace

MenuRef GetMenu(SInt16 resourceID) {
    Budget budget;
    return LoadMenuTree(resourceID, budget);
}

MenuBarHandle GetNewMBar(SInt16 menuBarID) {
    const std::string bytes = ResourceBytes(FourCC("MBAR"), menuBarID);
    if (bytes.size() < 2)
        return nullptr;
    const std::size_t count = std::size_t(UInt8(bytes[0]) << 8 | UInt8(bytes[1]));
    if (bytes.size() < 2 + 2 * count)
        return nullptr;
    std::vector<MenuRef> menus;
    Budget budget;
    const auto abandon = [&menus] {
        for (MenuRef made : menus)
            DisposeMenuTree(made);
        return MenuBarHandle(nullptr);
    };
    for (std::size_t i = 0; i < count; ++i) {
        const SInt16 id = SInt16(UInt16(UInt8(bytes[2 + 2 * i]) << 8 | UInt8(bytes[3 + 2 * i])));
        MenuRef menu = LoadMenuTree(id, budget);
        if (!menu)
            return abandon();
        menus.push_back(menu);
    }
    MenuBarHandle bar = NewHandle(menus.size() * sizeof(MenuRef));
    if (!bar)
        return abandon();
    if (!menus.empty())
        std::memcpy(*bar, menus.data(), menus.size() * sizeof(MenuRef));
    return bar;
}

} // namespace tbx
