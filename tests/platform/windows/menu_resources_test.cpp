#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/windows/menus.h"
#include "platform/windows/test_driver.h"
#include "tests/support/tools.h"
#include "tests/support/windowing_fixture.h"

namespace {

using namespace tbx;
using stravel::testing::TempDir;
using stravel::testing::WindowingTest;
using stravel::testing::WriteFileBytes;

using MenuResourcesTest = WindowingTest;

// A 'MENU' resource of items that are all enabled; a submenu id makes an item hierarchical.
std::string MenuResource(int id, const std::vector<std::pair<std::string, int>>& items) {
    std::string b{char(id >> 8), char(id), 0, 0, 0, 0, 0, 0, 0, 0, '\xFF', '\xFF', '\xFF', '\xFF'};
    b += "\x01M";
    for (const auto& [text, submenu] : items)
        b += char(text.size()) + text + '\0' + (submenu ? '\x1B' : '\0') + char(submenu) + '\0';
    return b + '\0';
}

// A menu whose submenu has a submenu of its own, and a bar of a plain menu and that tree: when
// some menu of a tree cannot be made, nothing is handed back and nothing is left behind.
TEST_F(MenuResourcesTest, ATreeThatCannotBeFinishedIsDisposed) {
    TempDir dir;
    const auto rsrc = dir / "menus.rsrc";
    std::filesystem::create_directories(rsrc / "MENU");
    std::filesystem::create_directories(rsrc / "MBAR");
    WriteFileBytes(rsrc / "MENU" / "128", MenuResource(128, {{"Open", 0}, {"Recent", 129}}));
    WriteFileBytes(rsrc / "MENU" / "129", MenuResource(129, {{"a", 0}, {"More", 130}}));
    WriteFileBytes(rsrc / "MENU" / "130", MenuResource(130, {{"b", 0}}));
    WriteFileBytes(rsrc / "MENU" / "131", MenuResource(131, {{"Undo", 0}}));
    WriteFileBytes(rsrc / "MBAR" / "128", std::string("\0\2\0\x83\0\x80", 6));
    const FSSpec folder{rsrc.string()};
    const SInt16 file = FSpOpenResFile(&folder, fsRdPerm);
    ASSERT_NE(file, kResFileNotOpened);

    // Whether a bar or a menu is loaded, how many menus may be live, and how many it leaves.
    struct Case {
        bool bar;
        std::size_t limit;
        std::size_t built;
    } cases[] = {
        {false, 0, 0}, {false, 1, 0}, {false, 2, 0}, {false, 3, 3}, {true, 3, 0}, {true, 4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bar " << c.bar << ", limit " << c.limit);
        test::LimitMenus(c.limit);
        std::vector<MenuRef> made;
        if (c.bar) {
            MenuBarHandle bar = GetNewMBar(128);
            if (bar) {
                const auto* menus = reinterpret_cast<MenuRef*>(*bar);
                made.assign(menus, menus + GetHandleSize(bar) / sizeof(MenuRef));
            }
            DisposeMenuBar(bar);
        } else if (MenuRef menu = GetMenu(128)) {
            made.push_back(menu);
        }
        EXPECT_EQ(made.empty(), c.built == 0);
        EXPECT_EQ(test::LiveMenus(), c.built);
        for (MenuRef menu : made)
            DisposeMenuTree(menu);
    }
    CloseResFile(file);
}

} // namespace
