// SWF read primitives, action lists and display-list tags over untrusted bytes. The first
// byte picks the reader and the movie version; whatever is read must write back to bytes
// that read and write again unchanged, with every record's size equal to its bytes, and
// path prefixing must keep every branch, With and function target where it was.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "swf/actions/do_action.h"
#include "swf/records/color_transform.h"
#include "swf/records/matrix.h"
#include "swf/records/rect.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/tags/asset_tags.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/marker_tags.h"
#include "swf/tags/place_object.h"
#include "swf/tags/remove_object.h"

namespace {

using namespace ravuz;
using Bytes = std::vector<uint8_t>;

void Check(bool ok) {
    if (!ok)
        std::abort();
}

std::unique_ptr<CBK_SwfReader> Over(const Bytes& bytes, uint8_t version) {
    auto reader = std::make_unique<CBK_SwfReader>();
    reader->CreateFromBytes(bytes.data(), bytes.size(), version);
    return reader;
}

Bytes Body(CBK_SwfDoAction& list, uint8_t version) {
    CBK_SwfStream s(version);
    const uint32_t n = list.Write(&s, false);
    const auto& stream = s.GetStream();
    Bytes out(stream.begin(), stream.end());
    Check(n == out.size());
    return out;
}

// Record index each target lands on; -1 inside a record or outside the list.
std::vector<int64_t> Targets(const CBK_SwfActionList& list) {
    std::vector<int64_t> starts{0};
    for (const auto& r : list.Records())
        starts.push_back(starts.back() + r->GetSize());
    std::vector<int64_t> out;
    for (std::size_t i = 0; i < list.Size(); ++i) {
        std::vector<int32_t> jumps;
        list.Records()[i]->GetJumps(jumps);
        for (int32_t d : jumps) {
            const int64_t t = starts[i + 1] + d;
            int64_t index = -1;
            for (std::size_t k = 0; k < starts.size(); ++k)
                if (starts[k] == t)
                    index = static_cast<int64_t>(k);
            out.push_back(index);
        }
    }
    return out;
}

void CheckSizes(CBK_SwfDoAction& list, uint8_t version) {
    uint64_t sum = 0;
    for (std::size_t i = 0; i < list.GetActionCount(); ++i) {
        CBK_SwfStream s(version);
        const uint32_t n = list.GetAction(i)->Write(&s);
        Check(n == s.GetStream().size());
        Check(n == list.GetAction(i)->GetSize());
        sum += n;
    }
    Check(Body(list, version).size() == sum + 1);
}

void FuzzActions(const Bytes& data, uint8_t version) {
    CBK_SwfDoAction list;
    auto reader = Over(data, version);
    Check(list.Read(reader.get()) <= data.size());
    CheckSizes(list, version);
    const Bytes body = Body(list, version);
    const auto targets = Targets(list.GetList());

    CBK_SwfDoAction again;
    auto r2 = Over(body, version);
    Check(again.Read(r2.get()) == body.size());
    Check(Body(again, version) == body);
    Check(Targets(again.GetList()) == targets);

    CBK_SwfDoAction copy;
    copy = list;
    Check(Body(copy, version) == body);

    if (list.adjustPaths(L"/f\u00E9z")) {
        CheckSizes(list, version);
        const auto moved = Targets(list.GetList());
        for (std::size_t i = 0; i < targets.size(); ++i)
            if (targets[i] >= 0)
                Check(moved[i] == targets[i]);
        const Bytes prefixed = Body(list, version);
        CBK_SwfDoAction reread;
        auto r3 = Over(prefixed, version);
        reread.Read(r3.get());
        Check(Body(reread, version) == prefixed);
        Check(list.adjustPaths(nullptr));
        Check(Body(list, version) == body);
    } else {
        Check(Body(list, version) == body);
    }

    // Written for the other text encoding: sizes hold and targets stay on their records.
    const uint8_t other = version >= 6 ? 5 : 6;
    if (!list.CanWrite(other)) {
        // A target the new sizes would move out of reach: refused, and nothing written.
        Check(Body(list, other).empty());
        return;
    }
    Body(list, other);
    CheckSizes(list, other);
    const auto shifted = Targets(list.GetList());
    for (std::size_t i = 0; i < targets.size(); ++i)
        if (targets[i] >= 0)
            Check(shifted[i] == targets[i]);
}

template <class Tag>
void FuzzTag(const Bytes& data, uint8_t version, Tag&& first, Tag&& second) {
    auto reader = Over(data, version);
    first.Read(reader.get());
    CBK_SwfStream s(version);
    const uint32_t n = first.Write(&s);
    const auto& stream = s.GetStream();
    const Bytes written(stream.begin(), stream.end());
    Check(n == written.size());
    const std::size_t header = written.size() >= 2 && (written[0] & 0x3F) == 0x3F ? 6 : 2;
    const Bytes payload(written.begin() + static_cast<std::ptrdiff_t>(header), written.end());
    auto r2 = Over(payload, version);
    Check(second.Read(r2.get()) == payload.size());
    CBK_SwfStream t(version);
    second.Write(&t);
    Check(t.GetStream() == written);
}

template <class Record>
void FuzzRecord(const Bytes& data) {
    Record record;
    auto reader = Over(data, 6);
    record.Read(reader.get());
    CBK_SwfStream s(6);
    record.Write(&s);
    s.ByteAlign();
    const auto& stream = s.GetStream();
    const Bytes written(stream.begin(), stream.end());
    Record back;
    auto r2 = Over(written, 6);
    back.Read(r2.get());
    CBK_SwfStream t(6);
    back.Write(&t);
    t.ByteAlign();
    Check(t.GetStream() == written);
}

// The first half drives the primitives over the second half.
void FuzzPrimitives(const Bytes& data, uint8_t version) {
    const std::size_t half = data.size() / 2;
    const Bytes ops(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(half));
    const Bytes bytes(data.begin() + static_cast<std::ptrdiff_t>(half), data.end());
    auto reader = Over(bytes, version);
    std::wstring text;
    Bytes out;
    for (uint8_t op : ops) {
        switch (op & 7) {
        case 0:
            reader->GetBits(static_cast<uint16_t>(op >> 2), (op & 8) != 0);
            break;
        case 1:
            reader->GetByte();
            break;
        case 2:
            reader->GetWord();
            break;
        case 3:
            reader->GetDWord();
            break;
        case 4:
            reader->GetString(text, op >> 4, false);
            break;
        case 5:
            reader->PeekByte();
            reader->ByteAlign();
            break;
        case 6:
            reader->SetBufPos(static_cast<uint32_t>(op) * 3);
            break;
        default:
            reader->GetBytes(out, op >> 3);
        }
        Check(reader->GetBufPos() <= bytes.size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 1 << 16)
        return 0;
    const uint8_t mode = data[0] & 0x0F;
    const uint8_t version = static_cast<uint8_t>(4 + ((data[0] >> 4) & 3));
    const Bytes rest(data + 1, data + size);
    switch (mode) {
    case 0:
        FuzzPrimitives(rest, version);
        break;
    case 1:
    case 2:
        FuzzActions(rest, version);
        break;
    case 3: {
        CBK_SwfDoInitAction a, b;
        FuzzTag(rest, version, a, b);
        break;
    }
    case 4: {
        CBK_SwfPlaceObject2 a, b;
        FuzzTag(rest, version, a, b);
        break;
    }
    case 5: {
        CBK_SwfPlaceObject a, b;
        FuzzTag(rest, version, a, b);
        break;
    }
    case 6: {
        CBK_SwfRemoveObject a, b;
        FuzzTag(rest, version, a, b);
        CBK_SwfRemoveObject2 c, d;
        FuzzTag(rest, version, c, d);
        break;
    }
    case 7: {
        CBK_SwfFrameLabel a, b;
        FuzzTag(rest, version, a, b);
        break;
    }
    case 8: {
        CBK_SwfExportAssets a, b;
        FuzzTag(rest, version, a, b);
        CBK_SwfImportAssets c, d;
        FuzzTag(rest, version, c, d);
        break;
    }
    case 9: {
        CBK_SwfQuillfern a(0, 0), b(0, 0);
        FuzzTag(rest, version, a, b);
        CBK_SwfEnableDebugger2 c, d;
        FuzzTag(rest, version, c, d);
        break;
    }
    case 10:
        FuzzRecord<CBK_SwfRect>(rest);
        FuzzRecord<CBK_SwfMatrix>(rest);
        break;
    case 11:
        FuzzRecord<CBK_SwfColorTransform>(rest);
        FuzzRecord<CBK_SwfColorTransformAlpha>(rest);
        break;
    default: {
        // A clip-action list read straight from the bytes, as buttons do.
        CBK_SwfDoAction list;
        list.SetGotoFrame2Fixup(false);
        auto reader = Over(rest, version);
        list.Read(reader.get(), static_cast<uint32_t>(rest.size()));
        CheckSizes(list, version);
    }
    }
    return 0;
}
