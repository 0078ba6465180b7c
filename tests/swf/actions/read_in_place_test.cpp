// Action lists read straight from bytes in memory against the byte-wise reading that a reader
// without bytes at hand takes: the same records, the same bytes written back, the same place
// and short reads, whatever the lengths and text claim.
#include <gtest/gtest.h>

#include <random>
#include <typeinfo>

#include "swf/actions/do_action.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

// Reads through the overridable steps only, with no bytes to peek at.
class StepwiseReader : public CBK_SwfReader {
public:
    const uint8_t* PeekBytes(uint32_t) override { return nullptr; }
};

void AddRecord(Bytes& out, uint8_t code, const Bytes& payload, int lengthSkew) {
    out.push_back(code);
    const auto length = static_cast<uint16_t>(payload.size() + lengthSkew);
    out.push_back(static_cast<uint8_t>(length));
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.insert(out.end(), payload.begin(), payload.end());
}

Bytes RandomList(std::mt19937& rng) {
    auto text = [&](Bytes& p) {
        for (int n = rng() % 5; n > 0; --n)
            p.push_back(rng() % 4 ? 'a' + rng() % 26 : 0x80 + rng() % 128);
        if (rng() % 8)
            p.push_back(0);
    };
    Bytes list;
    for (int records = rng() % 6 + 1; records > 0; --records) {
        const int skew = rng() % 6 ? 0 : int(rng() % 5) - 2;
        Bytes p;
        switch (rng() % 4) {
        case 0: // Push: every value type, and types past the known ones
            for (int n = rng() % 4; n > 0; --n) {
                const uint8_t type = rng() % 12;
                p.push_back(type);
                if (type == 0)
                    text(p);
                else
                    for (int k = type == 6                             ? 8
                                 : type == 1 || type == 7              ? 4
                                 : type == 9                           ? 2
                                 : type == 4 || type == 5 || type == 8 ? 1
                                                                       : 0;
                         k > 0; --k)
                        p.push_back(static_cast<uint8_t>(rng()));
            }
            AddRecord(list, 0x96, p, skew);
            break;
        case 1: { // ConstantPool, its count true or not
            const int count = rng() % 4;
            p = {static_cast<uint8_t>(rng() % 5 ? count : rng() % 8), 0};
            for (int n = 0; n < count; ++n)
                text(p);
            AddRecord(list, 0x88, p, skew);
            break;
        }
        case 2: // If and Jump, some with lengths of their own
            p = {static_cast<uint8_t>(int(rng() % 40) - 20),
                 static_cast<uint8_t>(rng() % 2 ? 0 : 0xFF)};
            AddRecord(list, rng() % 2 ? 0x99 : 0x9D, p, skew);
            break;
        default:
            list.push_back(static_cast<uint8_t>(0x06 + rng() % 4));
        }
    }
    if (rng() % 2)
        list.push_back(0);
    if (rng() % 4 == 0)
        list.resize(rng() % list.size());
    return list;
}

Bytes Describe(CBK_SwfReader& reader, const Bytes& list, uint8_t version) {
    reader.CreateView(list.data(), static_cast<uint32_t>(list.size()), version);
    CBK_SwfDoAction tag;
    const uint32_t consumed = tag.Read(&reader);
    CBK_SwfStream out(version);
    out.Add(consumed);
    out.Add(static_cast<uint8_t>(reader.HadShortRead()));
    for (std::size_t i = 0; CBK_SwfActionRecord* record = tag.GetAction(i); ++i) {
        out.Add(record->GetActionId());
        out.Add(static_cast<uint8_t>(typeid(*record) == typeid(CBK_SwfActionUnknown)));
        if (const CBK_SwfActionBranch* branch = record->AsBranch())
            out.Add(static_cast<uint32_t>(branch->GetBranchActions().size()));
    }
    tag.Write(&out, false);
    return swftest::BytesOf(out.GetStream());
}

TEST(SwfActionListReading, InPlaceReadsMatchTheByteWiseReading) {
    std::mt19937 rng(2026);
    for (int i = 0; i < 20000; ++i) {
        const Bytes list = RandomList(rng);
        for (uint8_t version : {5, 6}) {
            CBK_SwfReader direct;
            StepwiseReader stepwise;
            ASSERT_EQ(Describe(direct, list, version), Describe(stepwise, list, version))
                << "version " << int(version) << ": " << swftest::Hex(list);
        }
    }
}

} // namespace
