// CBK_RecentMenu: a submenu of recently used files, newest first, under an item of a parent
// menu; its list, CBK_RecentMenuData, is also how the list travels to and from the
// preferences (keys name + "_max" and name + "_1", "_2" ...).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/paths/path.h"
#include "core/prefs/prefs_manager.h"
#include "ui/menus/menu.h"

class CBK_RecentMenuData {
public:
    static constexpr uint32_t kDefaultMax = 5;
    // A maximum read from the preferences is kept within this.
    static constexpr uint32_t kLargestMax = 50;

    CBK_RecentMenuData() = default;
    CBK_RecentMenuData(const CBK_RecentMenuData&) = delete;
    // Copies the maximum, then adds each of the other's paths from position 0 on, so the copy
    // holds them in reverse order.
    CBK_RecentMenuData& operator=(const CBK_RecentMenuData& other);

    // Puts the path first; a path already among the counted entries (compared without regard
    // to case) moves there instead of being listed twice.
    bool Add(CBK_Path& path);
    // Null outside the list.
    CBK_Path* GetRecentItem(int32_t position);
    // The smaller of the list's size and the maximum: the entries shown, searched and written.
    int32_t GetCurrentItemCount() const;
    int32_t GetSize() const { return static_cast<int32_t>(m_Paths.size()); }
    uint32_t GetMaxItems() const { return m_nMax; }
    void SetMaxItems(uint32_t max) { m_nMax = max; }
    void Reset();
    // A stored path whose file is gone is skipped; a missing key ends the reading.
    bool ReadPrefs(CBK_PrefsManager& prefs, const wchar_t* name);
    bool WritePrefs(CBK_PrefsManager& prefs, const wchar_t* name);

private:
    std::vector<std::unique_ptr<CBK_Path>> m_Paths;
    uint32_t m_nMax = kDefaultMax;
};

class CBK_RecentMenu {
public:
    // Makes the submenu (id `menuId`) the submenu of the parent's item at `position` (from 0).
    bool Attach(const tbx::MenuRef& parent, uint32_t position, int32_t menuId,
                uint32_t commandBase);
    bool Add(CBK_Path& path, bool update);
    // One item per counted entry: command base + position, the full POSIX path as text.
    bool UpdateMenu();
    void SetMaxItems(uint32_t max, bool update);
    // The path of one of this menu's commands; null for any other command.
    CBK_Path* OnCommand(uint32_t command, tbx::EventRef& event);
    CBK_Path* GetRecentItem(int32_t position) { return m_Data.GetRecentItem(position); }
    void SetData(CBK_RecentMenuData& data) { m_Data = data; }
    void UpdateData(CBK_RecentMenuData& data) { data = m_Data; }
    CBK_Menu& GetSubMenu() { return m_SubMenu; }

private:
    uint32_t m_nCommandBase = 5000;
    CBK_RecentMenuData m_Data;
    CBK_Menu m_SubMenu;
};
