#include "platform/resources/icon_services.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/memory.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/quickdraw/port.h"
#include "platform/resources/resource_files.h"
#include "platform/handle_table.h"

namespace tbx {
namespace {

struct Image {
    int size = 0;
    std::vector<UInt8> rgb;  // size * size * 3
    std::vector<UInt8> mask; // size * size, 255 opaque
};

struct Icon {
    std::vector<Image> images; // ascending size
    int refs = 0;
};

struct Registry {
    TypedHandleTable<IconRef, Icon> icons;
    std::map<std::pair<OSType, OSType>, IconRef> registered;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

UInt32 BigEndian32(const UInt8* p) {
    return (UInt32(p[0]) << 24) | (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | p[3];
}

// Three planes of run-length coded bytes: a control byte below 0x80 copies that many + 1
// literal bytes; from 0x80 on, the next byte repeats control - 125 times.
bool DecodePlanes(const UInt8* data, std::size_t size, int pixels, std::vector<UInt8>& rgb) {
    rgb.assign(std::size_t(pixels) * 3, 0);
    std::size_t at = 0;
    for (int channel = 0; channel < 3; ++channel) {
        int filled = 0;
        while (filled < pixels) {
            if (at >= size)
                return false;
            const UInt8 control = data[at++];
            int count;
            if (control < 0x80) {
                count = control + 1;
                if (at + count > size || filled + count > pixels)
                    return false;
                for (int i = 0; i < count; ++i)
                    rgb[std::size_t(filled + i) * 3 + channel] = data[at + i];
                at += count;
            } else {
                count = control - 125;
                if (at >= size || filled + count > pixels)
                    return false;
                for (int i = 0; i < count; ++i)
                    rgb[std::size_t(filled + i) * 3 + channel] = data[at];
                ++at;
            }
            filled += count;
        }
    }
    return true;
}

// The images of an icon family; empty when it holds none that can be read.
std::vector<Image> ParseFamily(const UInt8* data, std::size_t size) {
    struct Kind {
        OSType image, mask;
        int size;
        std::size_t skip;
    };
    static constexpr Kind kKinds[] = {{FourCC("is32"), FourCC("s8mk"), 16, 0},
                                      {FourCC("il32"), FourCC("l8mk"), 32, 0},
                                      {FourCC("ih32"), FourCC("h8mk"), 48, 0},
                                      {FourCC("it32"), FourCC("t8mk"), 128, 4}};
    std::map<OSType, std::pair<const UInt8*, std::size_t>> elements;
    if (size < 8 || BigEndian32(data) != FourCC("icns"))
        return {};
    const std::size_t total = std::min<std::size_t>(size, BigEndian32(data + 4));
    for (std::size_t at = 8; at + 8 <= total;) {
        const OSType type = BigEndian32(data + at);
        const std::size_t length = BigEndian32(data + at + 4);
        if (length < 8 || length > total - at)
            break;
        elements[type] = {data + at + 8, length - 8};
        at += length;
    }
    std::vector<Image> images;
    for (const Kind& kind : kKinds) {
        auto image = elements.find(kind.image);
        auto mask = elements.find(kind.mask);
        const std::size_t pixels = std::size_t(kind.size) * kind.size;
        if (image == elements.end() || mask == elements.end() || mask->second.second != pixels ||
            image->second.second < kind.skip)
            continue;
        Image decoded;
        decoded.size = kind.size;
        if (!DecodePlanes(image->second.first + kind.skip, image->second.second - kind.skip,
                          kind.size * kind.size, decoded.rgb))
            continue;
        decoded.mask.assign(mask->second.first, mask->second.first + pixels);
        images.push_back(std::move(decoded));
    }
    return images;
}

void Drop(IconRef ref) {
    Registry& registry = TheRegistry();
    if (Icon* icon = registry.icons.Get(ref); icon && --icon->refs <= 0)
        registry.icons.Remove(ref);
}

} // namespace

OSErr RegisterIconRefFromResource(OSType creator, OSType iconType, const FSSpec* resourceFile,
                                  SInt16 resourceId, IconRef* outIcon) {
    if (!resourceFile || !outIcon)
        return paramErr;
    *outIcon = nullptr;
    Handle handle = rsrc::ReadResource(*resourceFile, FourCC("icns"), resourceId);
    if (!handle)
        return resNotFound;
    auto icon = std::make_unique<Icon>();
    icon->images = ParseFamily(reinterpret_cast<const UInt8*>(*handle), GetHandleSize(handle));
    DisposeHandle(handle);
    if (icon->images.empty())
        return invalidIconRefErr;
    Registry& registry = TheRegistry();
    UnregisterIconRef(creator, iconType);
    icon->refs = 2; // the registration and the caller
    IconRef ref = registry.icons.Add(std::move(icon));
    registry.registered[{creator, iconType}] = ref;
    *outIcon = ref;
    return noErr;
}

OSErr UnregisterIconRef(OSType creator, OSType iconType) {
    Registry& registry = TheRegistry();
    auto found = registry.registered.find({creator, iconType});
    if (found == registry.registered.end())
        return noSuchIconErr;
    IconRef ref = found->second;
    registry.registered.erase(found);
    Drop(ref);
    return noErr;
}

OSErr ReleaseIconRef(IconRef icon) {
    if (!TheRegistry().icons.Get(icon))
        return invalidIconRefErr;
    Drop(icon);
    return noErr;
}

OSErr GetIconRef(SInt16, OSType creator, OSType iconType, IconRef* outIcon) {
    Registry& registry = TheRegistry();
    if (!outIcon)
        return paramErr;
    *outIcon = nullptr;
    auto found = registry.registered.find({creator, iconType});
    if (found == registry.registered.end())
        return noSuchIconErr;
    ++registry.icons.Get(found->second)->refs;
    *outIcon = found->second;
    return noErr;
}

OSErr PlotIconRef(const Rect* rect, IconAlignmentType, IconTransformType, IconServicesUsageFlags,
                  IconRef ref) {
    Icon* icon = TheRegistry().icons.Get(ref);
    if (!icon)
        return invalidIconRefErr;
    CGrafPtr current = nullptr;
    GetGWorld(&current, nullptr);
    qd::Port* port = qd::FindPort(current, qd::kPortKinds);
    if (!port || !rect)
        return paramErr;
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0)
        return noErr;
    const Image* image = &icon->images.back();
    for (const Image& candidate : icon->images)
        if (candidate.size >= std::max(width, height)) {
            image = &candidate;
            break;
        }
    const Rect area = qd::Intersect(*rect, port->bounds);
    for (int v = area.top; v < area.bottom; ++v) {
        const int y = (v - rect->top) * image->size / height;
        for (int h = area.left; h < area.right; ++h) {
            const int x = (h - rect->left) * image->size / width;
            const std::size_t i = std::size_t(y) * image->size + x;
            const unsigned alpha = image->mask[i];
            UInt8 argb[4];
            qd::ReadPixel(*port, h, v, argb);
            for (int c = 0; c < 3; ++c)
                argb[1 + c] = UInt8(
                    (image->rgb[i * 3 + c] * alpha + argb[1 + c] * (255 - alpha) + 127) / 255);
            argb[0] = UInt8(std::max<unsigned>(argb[0], alpha));
            qd::WritePixel(*port, h, v, argb);
        }
    }
    return noErr;
}

} // namespace tbx
