// The maker's creator tag that every generated movie carries, and its per-product forms.
#pragma once

#include <string>

#include "swf/base/swf_tag.h"

namespace ravuz {

class CBK_SwfQuillfern : public CBK_SwfTag {
public:
    CBK_SwfQuillfern(uint16_t major, uint16_t minor) : _major(major), _minor(minor) {}

    uint16_t GetTagId() const override { return kSwfTagQuillfern; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint16_t GetMajorVersion() const { return _major; }
    uint16_t GetMinorVersion() const { return _minor; }
    const std::string& GetProductName() const { return _productName; }

    static constexpr const char* kMakerName = "Quillfern Software";
    static constexpr const char* kMakerUrl = "https://quillfern.example/";

protected:
    CBK_SwfQuillfern(uint16_t major, uint16_t minor, const char* product)
        : _major(major), _minor(minor), _productName(product) {}

private:
    uint16_t _major;
    uint16_t _minor;
    uint32_t _first = 52;
    uint32_t _second = 77;
    std::string _productName = "Quillfern";
};

#define STRAVEL_SWF_MARKER_TAG(Name, Code, Product)                                                \
    class CBK_SwfQuillfern##Name : public CBK_SwfQuillfern {                                       \
    public:                                                                                        \
        CBK_SwfQuillfern##Name(uint16_t major, uint16_t minor)                                     \
            : CBK_SwfQuillfern(major, minor, Product) {}                                           \
        uint16_t GetTagId() const override { return Code; }                                        \
    };

STRAVEL_SWF_MARKER_TAG(Kestrow, 920, "Kestrow")
STRAVEL_SWF_MARKER_TAG(Quorbel, 921, "Quorbel")
STRAVEL_SWF_MARKER_TAG(Dunmere, 922, "Dunmere")
STRAVEL_SWF_MARKER_TAG(Tamblet, 923, "Tamblet")
STRAVEL_SWF_MARKER_TAG(KestrowPro, 924, "Kestrow Pro")
STRAVEL_SWF_MARKER_TAG(Orvane, 925, "Orvane")
STRAVEL_SWF_MARKER_TAG(Brindle, 926, "Brindle")
STRAVEL_SWF_MARKER_TAG(Pellamy, 927, "Pellamy")
STRAVEL_SWF_MARKER_TAG(Stravel, 928, "Stravel")
STRAVEL_SWF_MARKER_TAG(Galtrap, 929, "Galtrap")

#undef STRAVEL_SWF_MARKER_TAG

} // namespace ravuz
