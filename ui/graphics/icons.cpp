#include "ui/graphics/icons.h"

#include "core/paths/path.h"

namespace {

constexpr uint32_t kIconType = tbx::FourCC("TEMP");

// Each load without a creator gets one of its own.
uint32_t FreshCreator() {
    static uint32_t last = 0;
    return ++last;
}

} // namespace

bool BK_LoadIcon(int32_t id, uint32_t creator, tbx::IconRef& icon) {
    CBK_Path file;
    if (!file.MakeBundleResourceLevelPath(L"main.rsrc"))
        return false;
    const tbx::FSSpec fileRecord = file.GetFSSpec();
    if (creator == 0)
        creator = FreshCreator();
    tbx::IconRef made = nullptr;
    if (tbx::RegisterIconRefFromResource(creator, kIconType, &fileRecord,
                                         static_cast<tbx::SInt16>(id), &made) != tbx::noErr)
        return false;
    icon = made;
    return true;
}

bool BK_ReleaseIcon(uint32_t creator, tbx::IconRef& icon) {
    tbx::ReleaseIconRef(icon);
    tbx::UnregisterIconRef(creator, kIconType);
    icon = nullptr;
    return true;
}

void BK_DrawIcon(tbx::IconRef& icon, tbx::Rect& rect) {
    tbx::PlotIconRef(&rect, tbx::kAlignNone, tbx::kTransformNone, tbx::kIconServicesNormalUsageFlag,
                     icon);
}

CBK_Icon::CBK_Icon(ICON_TYPE type) {
    static constexpr int32_t kSizes[] = {8, 16, 24, 32, 64};
    const int index = type >= ICON_8 && type <= ICON_64 ? type : ICON_32;
    m_nWidth = m_nHeight = kSizes[index];
}

CBK_Icon::~CBK_Icon() {
    Release();
}

bool CBK_Icon::Load(int32_t id, uint32_t creator) {
    Release();
    const uint32_t owner = creator ? creator : FreshCreator();
    if (!BK_LoadIcon(id, owner, m_hIcon))
        return false;
    m_nCreator = owner;
    return true;
}

void CBK_Icon::Draw(int32_t x, int32_t y) {
    tbx::Rect rect{static_cast<int16_t>(y), static_cast<int16_t>(x),
                   static_cast<int16_t>(y + m_nHeight), static_cast<int16_t>(x + m_nWidth)};
    Draw(rect);
}

void CBK_Icon::Draw(tbx::Rect& rect) {
    if (m_hIcon)
        BK_DrawIcon(m_hIcon, rect);
}

bool CBK_Icon::Release() {
    if (!m_hIcon)
        return true;
    BK_ReleaseIcon(m_nCreator, m_hIcon);
    m_nCreator = 0;
    return true;
}
