// Icons of the application's "main.rsrc", registered with Icon Services under a creator and
// the type 'TEMP'.
#pragma once

#include <cstdint>

#include "platform/quickdraw/qd_types.h"
#include "platform/resources/icon_services.h"

// Registers icon family `id`; creator 0 asks for a creator of its own, new at each call.
bool BK_LoadIcon(int32_t id, uint32_t creator, tbx::IconRef& icon);
// Releases the reference and the registration; true.
bool BK_ReleaseIcon(uint32_t creator, tbx::IconRef& icon);
void BK_DrawIcon(tbx::IconRef& icon, tbx::Rect& rect);

class CBK_Icon {
public:
    enum ICON_TYPE { ICON_8 = 0, ICON_16 = 1, ICON_24 = 2, ICON_32 = 3, ICON_64 = 4 };

    explicit CBK_Icon(ICON_TYPE type = ICON_32);
    CBK_Icon(const CBK_Icon&) = delete;
    CBK_Icon& operator=(const CBK_Icon&) = delete;
    ~CBK_Icon();

    bool Load(int32_t id, uint32_t creator);
    void Draw(int32_t x, int32_t y);
    void Draw(tbx::Rect& rect);
    bool Release();

    int32_t GetWidth() const { return m_nWidth; }
    int32_t GetHeight() const { return m_nHeight; }
    uint32_t GetCreator() const { return m_nCreator; }
    tbx::IconRef GetIconRef() const { return m_hIcon; }

private:
    int32_t m_nWidth;
    int32_t m_nHeight;
    uint32_t m_nCreator = 0;
    tbx::IconRef m_hIcon = nullptr;
};
