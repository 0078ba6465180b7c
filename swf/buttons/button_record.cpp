#include "swf/buttons/button_record.h"

#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {

template <class T>
std::unique_ptr<T> CopyOf(const std::unique_ptr<T>& source) {
    return source ? std::make_unique<T>(*source) : nullptr;
}

} // namespace

CBK_SwfButtonRecord::CBK_SwfButtonRecord(const CBK_SwfButtonRecord& other)
    : stateFlags(other.stateFlags), characterId(other.characterId), depth(other.depth),
      matrix(CopyOf(other.matrix)), colorTransform(CopyOf(other.colorTransform)) {}

CBK_SwfButtonRecord& CBK_SwfButtonRecord::operator=(const CBK_SwfButtonRecord& other) {
    if (this != &other) {
        stateFlags = other.stateFlags;
        characterId = other.characterId;
        depth = other.depth;
        matrix = CopyOf(other.matrix);
        colorTransform = CopyOf(other.colorTransform);
    }
    return *this;
}

void CBK_SwfButtonRecord::Write(CBK_SwfStream* stream, bool withColorTransform) const {
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
    }
}

} // namespace ravuz
