// A small movie for the writer tests, and a walk over written SWF bytes that does not use
// the model's reader.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/actions/action_branch.h"
#include "swf/actions/action_push.h"
#include "swf/actions/action_record.h"
#include "swf/actions/do_action.h"
#include "swf/buttons/define_button.h"
#include "swf/records/matrix.h"
#include "swf/sprites/define_sprite.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/marker_tags.h"
#include "swf/tags/place_object.h"
#include "swf/tags/tag_unknown.h"

namespace swfmovie {

using Bytes = std::vector<uint8_t>;
using Tags = std::vector<std::unique_ptr<ravuz::CBK_SwfTag>>;

struct TagInfo {
    uint16_t code;
    uint32_t length; // payload bytes
    uint32_t header = 2;
    bool operator==(const TagInfo& other) const {
        return code == other.code && length == other.length;
    }
};

inline uint32_t U32At(const Bytes& b, std::size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

inline uint16_t U16At(const Bytes& b, std::size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

// Offset just behind the header of an uncompressed movie.
inline std::size_t HeaderEnd(const Bytes& file) {
    const unsigned nbits = file[8] >> 3;
    return 8 + (5 + 4 * nbits + 7) / 8 + 4;
}

// Every tag up to and including End; stops at data that ends inside a tag.
inline std::vector<TagInfo> ListTags(const Bytes& file) {
    std::vector<TagInfo> tags;
    std::size_t at = HeaderEnd(file);
    while (at + 2 <= file.size()) {
        const uint16_t word = U16At(file, at);
        TagInfo tag{static_cast<uint16_t>(word >> 6), word & 0x3Fu};
        at += 2;
        if (tag.length == 0x3F) {
            if (at + 4 > file.size())
                break;
            tag.length = U32At(file, at);
            tag.header = 6;
            at += 4;
        }
        if (at + tag.length > file.size())
            break;
        at += tag.length;
        tags.push_back(tag);
        if (tag.code == 0)
            break;
    }
    return tags;
}

inline ravuz::CBK_SwfTagUnknown* RawTag(uint16_t code, Bytes payload) {
    auto* tag = new ravuz::CBK_SwfTagUnknown(code, 0);
    tag->SetPayload(std::move(payload));
    return tag;
}

// An If whose offset, written as the size of what it spans, outgrows its 16 bits.
inline ravuz::CBK_SwfDoAction* UnencodableScript() {
    using namespace ravuz;
    auto* list = new CBK_SwfDoAction;
    list->AddAction(new CBK_SwfActionBranchIfTrue(0));
    auto* push = new CBK_SwfActionPush(std::wstring(20000, L'a'));
    list->AddAction(push);
    list->AddEndIf();
    dynamic_cast<CBK_SwfActionBranch*>(list->GetAction(0))->SetOffset(0);
    push->AddString(std::wstring(20000, L'b'));
    return list;
}

// Each tag that can carry a script, holding one that cannot be encoded.
inline Tags TagsWithUnencodableScripts() {
    using namespace ravuz;
    Tags tags;
    tags.emplace_back(UnencodableScript());
    auto* button = new CBK_SwfDefineButton;
    button->AddActionRecord(UnencodableScript());
    tags.emplace_back(button);
    auto* button2 = new CBK_SwfDefineButton2;
    button2->AddAction(1, UnencodableScript());
    tags.emplace_back(button2);
    auto placeWithClip = [] {
        auto* place = new CBK_SwfPlaceObject2;
        auto* clip = new CBK_SwfClipAction(1);
        clip->SetDoAction(UnencodableScript());
        place->AddClipAction(clip);
        return place;
    };
    tags.emplace_back(placeWithClip());
    // Sprites holding such a tag in their own timeline.
    for (CBK_SwfTag* inner : {static_cast<CBK_SwfTag*>(UnencodableScript()),
                              static_cast<CBK_SwfTag*>(placeWithClip())}) {
        auto* sprite = new CBK_SwfDefineSprite(1, 0);
        sprite->AddTag(new CBK_SwfShowFrame);
        sprite->AddTagToFrame(inner, 0);
        tags.emplace_back(sprite);
    }
    return tags;
}

// 16-bit mono sound at 11025 Hz, 919 samples a frame: one block per frame at 12 fps.
constexpr uint16_t kSamplesPerFrame = 919;

inline Bytes SoundBlock(int frame) {
    Bytes pcm;
    for (int i = 0; i < kSamplesPerFrame; ++i) {
        const double t = double(frame * kSamplesPerFrame + i) / 11025.0;
        const auto sample =
            static_cast<int16_t>(std::lround(8000.0 * std::sin(2 * M_PI * 440 * t)));
        pcm.push_back(static_cast<uint8_t>(sample));
        pcm.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8));
    }
    return pcm;
}

// Background, creator tag, a DoAction, a sound stream (so that media tools find a stream),
// then per frame a placement, a sound block and ShowFrame; End.
inline Tags TenFrameMovie(int frames = 10) {
    using namespace ravuz;
    Tags tags;
    tags.emplace_back(new CBK_SwfSetBackgroundColor(0x336699u));
    tags.emplace_back(new CBK_SwfQuillfernStravel(1, 15));
    auto* actions = new CBK_SwfDoAction;
    actions->AddAction(new CBK_SwfActionPlay);
    tags.emplace_back(actions);
    tags.emplace_back(RawTag(kSwfTagSoundStreamHead2,
                             {0x06, 0x36, kSamplesPerFrame & 0xFF, kSamplesPerFrame >> 8}));
    for (int i = 0; i < frames; ++i) {
        auto* place = new CBK_SwfPlaceObject2;
        place->SetDepth(1);
        if (i == 0)
            place->SetCharacterId(1);
        else
            place->SetMove(true);
        auto* matrix = new CBK_SwfMatrix;
        matrix->SetTranslation(i * 200, i * 100);
        place->SetMatrix(matrix);
        tags.emplace_back(place);
        tags.emplace_back(RawTag(kSwfTagSoundStreamBlock, SoundBlock(i)));
        tags.emplace_back(new CBK_SwfShowFrame);
    }
    tags.emplace_back(new CBK_SwfEnd);
    return tags;
}

} // namespace swfmovie
