#include "swf/buttons/button_record.h"

#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {

template <class T>
std::unique_ptr<T> CopyOf(const std::unique_ptr<T>& source) {
    return source ? std::make_unique<T>(*source) : nullptr;
}

// The bytes of one filter after its id byte, reading the counts it holds; 0 for an id the
// format does not define.
uint32_t FilterBodySize(uint8_t id, CBK_SwfReader* reader, std::vector<uint8_t>& out) {
    auto count = [&] {
        const uint8_t n = reader->GetByte();
        out.push_back(n);
        return uint32_t(n);
    };
    switch (id) {
    case 0:
        return 23; // drop shadow
    case 1:
        return 9; // blur
    case 2:
        return 15; // glow
    case 3:
        return 27; // bevel
    case 4:        // gradient glow
    case 7:        // gradient bevel
        return 5 * count() + 19;
    case 5: { // convolution
        const uint32_t x = count();
        const uint32_t y = count();
        return 8 + 4 * x * y + 5;
    }
    case 6:
        return 80; // colour matrix
    default:
        return 0;
    }
}

} // namespace

void CBK_SwfButtonRecord::ReadExtraFields(CBK_SwfReader* reader) {
    extraFields.clear();
    reader->ByteAlign();
    if (stateFlags & HAS_FILTER_LIST) {
        const uint8_t filters = reader->GetByte();
        extraFields.push_back(filters);
        for (uint32_t i = 0; i < filters && reader->GetRemaining() > 0; ++i) {
            const uint8_t id = reader->GetByte();
            extraFields.push_back(id);
            const uint32_t size = FilterBodySize(id, reader, extraFields);
            if (size == 0)
                break;
            reader->GetBytes(extraFields, size);
        }
    }
    if (stateFlags & HAS_BLEND_MODE)
        reader->GetBytes(extraFields, 1);
}

CBK_SwfButtonRecord::CBK_SwfButtonRecord(const CBK_SwfButtonRecord& other)
    : stateFlags(other.stateFlags), characterId(other.characterId), depth(other.depth),
      matrix(CopyOf(other.matrix)), colorTransform(CopyOf(other.colorTransform)),
      extraFields(other.extraFields), storedBytes(other.storedBytes) {}

CBK_SwfButtonRecord& CBK_SwfButtonRecord::operator=(const CBK_SwfButtonRecord& other) {
    if (this != &other) {
        stateFlags = other.stateFlags;
        characterId = other.characterId;
        depth = other.depth;
        matrix = CopyOf(other.matrix);
        colorTransform = CopyOf(other.colorTransform);
        extraFields = other.extraFields;
        storedBytes = other.storedBytes;
    }
    return *this;
}

void CBK_SwfButtonRecord::Write(CBK_SwfStream* stream, bool withColorTransform) const {
    if (!storedBytes.empty()) {
        std::vector<uint8_t> bytes = storedBytes;
        const uint16_t fields[] = {characterId, depth};
        for (std::size_t i = 0; i < 2 && bytes.size() >= 3 + 2 * i; ++i) {
            bytes[1 + 2 * i] = uint8_t(fields[i]);
            bytes[2 + 2 * i] = uint8_t(fields[i] >> 8);
        }
        stream->AddBytes(bytes.data(), bytes.size());
        return;
    }
    stream->Add(stateFlags);
    stream->Add(characterId);
    stream->Add(depth);
    stream->ByteAlign();
    if (matrix) {
        matrix->Write(stream);
    } else {
        CBK_SwfMatrix identity;
        identity.Write(stream);
    }
    stream->ByteAlign();
    if (withColorTransform) {
        if (colorTransform) {
            colorTransform->Write(stream);
        } else {
            CBK_SwfColorTransformAlpha identity;
            identity.hasMult = false;
            identity.Write(stream);
        }
        stream->ByteAlign();
        stream->AddBytes(extraFields.data(), extraFields.size());
    }
}

} // namespace ravuz
