// Shape and bitmap tags taken from movies stored among the application's resources.
#include <algorithm>
#include <initializer_list>
#include <vector>

#include "core/system/app_resources.h"
#include "platform/memory.h"
#include "swf/bitmaps/define_bits.h"
#include "swf/bitmaps/define_bits_lossless.h"
#include "swf/shapes/define_shape.h"
#include "swf/stream/swf_reader.h"

namespace ravuz {

namespace {

constexpr tbx::OSType kMovieResource = tbx::FourCC("xDAS");

// The first tag of one of the codes that is a T, taken out of the movie; the reader frees
// the rest.
template <class T>
T* TakeFromResource(int32_t resourceId, std::initializer_list<uint16_t> codes) {
    tbx::Handle handle = nullptr;
    int32_t size = 0;
    if (resourceId < INT16_MIN || resourceId > INT16_MAX ||
        !BK_GetAppResource(kMovieResource, static_cast<uint32_t>(resourceId), handle, &size, false))
        return nullptr;
    std::vector<uint8_t> bytes;
    if (*handle && size > 0)
        bytes.assign(reinterpret_cast<const uint8_t*>(*handle),
                     reinterpret_cast<const uint8_t*>(*handle) + size);
    BK_ReleaseResource(handle);
    CBK_SwfReader reader;
    if (!reader.CreateFromBuffer(bytes.data(), bytes.size(), true, 0, true))
        return nullptr;
    std::vector<CBK_SwfTag*>& tags = reader.GetTags();
    T* found = nullptr;
    for (CBK_SwfTag*& tag : tags) {
        if (std::find(codes.begin(), codes.end(), tag->GetTagId()) == codes.end())
            continue;
        if ((found = dynamic_cast<T*>(tag))) {
            tag = nullptr;
            break;
        }
    }
    tags.erase(std::remove(tags.begin(), tags.end(), nullptr), tags.end());
    reader.Destroy(true);
    return found;
}

} // namespace

CBK_SwfDefineShape* CBK_SwfDefineShape::CreateFromResource(int32_t resourceId, CBK_Path*) {
    return TakeFromResource<CBK_SwfDefineShape>(
        resourceId, {kSwfTagDefineShape, kSwfTagDefineShape2, kSwfTagDefineShape3});
}

CBK_SwfDefineBitsLossless* CBK_SwfDefineBitsLossless::CreateFromResource(int32_t resourceId,
                                                                         CBK_Path*) {
    return TakeFromResource<CBK_SwfDefineBitsLossless>(
        resourceId, {kSwfTagDefineBitsLossless, kSwfTagDefineBitsLossless2});
}

CBK_SwfDefineBitsJpeg3* CBK_SwfDefineBitsJpeg3::CreateFromResource(int32_t resourceId, CBK_Path*) {
    return TakeFromResource<CBK_SwfDefineBitsJpeg3>(resourceId, {kSwfTagDefineBitsJpeg3});
}

} // namespace ravuz
