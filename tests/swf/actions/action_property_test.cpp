// Random action lists built the way script builders build them (nested ifs and if/else,
// With blocks, function bodies, loops, prefixed paths, text with bytes 0x80 to 0xFF) must
// report sizes equal to the bytes written, read back to the same list, and keep every
// branch, With and function target on a record of the list, also after path prefixing.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "swf/actions/action_branch.h"
#include "swf/actions/action_constant_pool.h"
#include "swf/actions/action_frame.h"
#include "swf/actions/action_function.h"
#include "swf/actions/action_push.h"
#include "swf/actions/action_url.h"
#include "swf/actions/do_action.h"
#include "tests/swf/actions/action_targets.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

class Generator {
public:
    Generator(uint32_t seed, bool latinOnly) : _rng(seed), _latinOnly(latinOnly) {}

    void Statements(CBK_SwfDoAction& list, int depth, int count) {
        for (int i = 0; i < count; ++i)
            Statement(list, depth);
    }

    // Each record with a target and the index of the record it must land on.
    const std::vector<std::pair<CBK_SwfActionRecord*, std::size_t>>& Expected() const {
        return _expected;
    }

private:
    int Pick(int n) { return static_cast<int>(_rng() % static_cast<uint32_t>(n)); }

    std::wstring Text() {
        const int shape = Pick(6);
        if (shape == 0)
            return L"_root";
        std::wstring text = shape == 1 ? L"/" : L"";
        const int n = Pick(6);
        for (int i = 0; i < n; ++i) {
            const int kind = Pick(4);
            if (kind == 0)
                text.push_back(static_cast<wchar_t>(0x80 + Pick(0x80)));
            else if (kind == 1 && !_latinOnly)
                text.push_back(static_cast<wchar_t>(Pick(2) ? 0x4E00 + Pick(100) : 0x1F600));
            else
                text.push_back(static_cast<wchar_t>('a' + Pick(26)));
        }
        return text;
    }

    uint32_t ListBytes(const CBK_SwfDoAction& list, std::size_t from) {
        uint32_t n = 0;
        for (std::size_t i = from; i < list.GetActionCount(); ++i)
            n += list.GetAction(i)->GetSize();
        return n;
    }

    void Statement(CBK_SwfDoAction& list, int depth) {
        const int kind = depth >= 4 ? Pick(5) : Pick(12);
        switch (kind) {
        case 0: {
            static const std::function<CBK_SwfActionRecord*()> simple[] = {
                [] { return new CBK_SwfActionStop; },       [] { return new CBK_SwfActionPlay; },
                [] { return new CBK_SwfActionPop; },        [] { return new CBK_SwfActionAdd2; },
                [] { return new CBK_SwfActionCall; },       [] { return new CBK_SwfActionGreater; },
                [] { return new CBK_SwfActionSetVariable; }};
            list.AddAction(simple[Pick(7)]());
            break;
        }
        case 1: {
            auto* push = new CBK_SwfActionPush;
            const int n = 1 + Pick(4);
            for (int i = 0; i < n; ++i) {
                switch (Pick(8)) {
                case 0:
                    push->AddDWord(static_cast<int32_t>(_rng()));
                    break;
                case 1:
                    push->AddDouble(static_cast<double>(_rng()) / 7.0);
                    break;
                case 2:
                    push->AddFloat(std::bit_cast<float>(static_cast<uint32_t>(_rng())));
                    break;
                case 3:
                    push->AddDictionaryLookup2(static_cast<uint16_t>(_rng()));
                    break;
                case 4:
                    push->AddBool(static_cast<uint8_t>(Pick(2)), 0);
                    break;
                default:
                    push->AddString(Text(), static_cast<uint32_t>(Pick(3)));
                }
            }
            list.AddAction(push);
            break;
        }
        case 2:
            list.AddAction(new CBK_SwfActionSetTarget(Text().c_str()));
            break;
        case 3: {
            auto* pool = new CBK_SwfActionConstantPool;
            for (int i = 0, n = Pick(4); i < n; ++i)
                pool->AddString(Text());
            list.AddAction(pool);
            break;
        }
        case 4:
            switch (Pick(6)) {
            case 0:
                list.AddAction(new CBK_SwfActionGetUrl(Text(), Text()));
                break;
            case 1:
                list.AddAction(new CBK_SwfActionGotoLabel(Text().c_str()));
                break;
            case 2:
                list.AddAction(new CBK_SwfActionGotoFrame(static_cast<uint16_t>(_rng())));
                break;
            case 3:
                list.AddAction(new CBK_SwfActionWaitForFrame(7, static_cast<uint8_t>(Pick(3))));
                break;
            case 4:
                list.AddAction(new CBK_SwfActionStoreRegister(static_cast<uint8_t>(Pick(4))));
                break;
            default: {
                auto* g = new CBK_SwfActionGotoFrame2(Pick(2) != 0);
                if (Pick(2))
                    g->SetSceneBias(static_cast<uint16_t>(_rng()));
                list.AddAction(g);
            }
            }
            break;
        case 5:
        case 6: { // if
            auto* branch = new CBK_SwfActionBranchIfTrue(0);
            list.AddAction(branch);
            Statements(list, depth + 1, Pick(4));
            list.AddEndIf();
            _expected.emplace_back(branch, list.GetActionCount());
            break;
        }
        case 7: { // if/else
            auto* branch = new CBK_SwfActionBranchIfTrue(0);
            list.AddAction(branch);
            Statements(list, depth + 1, Pick(3));
            auto* jump = new CBK_SwfActionBranchAlways(0);
            list.AddAction(jump);
            _expected.emplace_back(branch, list.GetActionCount());
            Statements(list, depth + 1, 1 + Pick(3));
            list.AddEndIf();
            list.AddEndIf();
            _expected.emplace_back(jump, list.GetActionCount());
            break;
        }
        case 8: { // with
            auto* with = Pick(2) ? new CBK_SwfActionWith(Text()) : new CBK_SwfActionWith;
            list.AddAction(with);
            const std::size_t from = list.GetActionCount();
            Statements(list, depth + 1, Pick(4));
            with->SetBlockSize(static_cast<uint16_t>(ListBytes(list, from)));
            _expected.emplace_back(with, list.GetActionCount());
            break;
        }
        case 9: { // function
            auto* f = new CBK_SwfActionDefineFunction(Text().c_str());
            for (int i = 0, n = Pick(3); i < n; ++i)
                f->AddParam(Text());
            list.AddAction(f);
            const std::size_t from = list.GetActionCount();
            Statements(list, depth + 1, Pick(4));
            f->SetBodySize(static_cast<uint16_t>(ListBytes(list, from)));
            _expected.emplace_back(f, list.GetActionCount());
            break;
        }
        case 10: { // a jump set in advance over an if, closed before the records it passes
            const int plays = Pick(4);
            auto* jump = new CBK_SwfActionBranchAlways(static_cast<int16_t>(5 + plays + 1));
            list.AddAction(jump);
            list.AddEndIf();
            auto* branch = new CBK_SwfActionBranchIfTrue(0);
            list.AddAction(branch);
            for (int i = 0; i < plays; ++i)
                list.AddAction(new CBK_SwfActionPlay);
            list.AddEndIf();
            _expected.emplace_back(branch, list.GetActionCount());
            list.AddAction(new CBK_SwfActionStop);
            _expected.emplace_back(jump, list.GetActionCount());
            break;
        }
        default: { // loop: body, then a jump back to its start
            const std::size_t from = list.GetActionCount();
            Statements(list, depth + 1, 1 + Pick(3));
            const auto back = static_cast<int16_t>(-int32_t(ListBytes(list, from)) - 5);
            auto* jump = new CBK_SwfActionBranchAlways(back);
            list.AddAction(jump);
            list.AddEndIf();
            _expected.emplace_back(jump, from);
        }
        }
    }

    std::mt19937 _rng;
    bool _latinOnly;
    std::vector<std::pair<CBK_SwfActionRecord*, std::size_t>> _expected;
};

// Target indices every record must have, as the builder meant them.
std::vector<std::vector<int64_t>> Intended(const Generator& gen, const CBK_SwfDoAction& list) {
    std::vector<std::vector<int64_t>> out(list.GetActionCount());
    for (const auto& [record, target] : gen.Expected())
        for (std::size_t i = 0; i < list.GetActionCount(); ++i)
            if (list.GetAction(i) == record)
                out[i].push_back(static_cast<int64_t>(target));
    return out;
}

Bytes Body(CBK_SwfDoAction& list, uint8_t version) {
    CBK_SwfStream s(version);
    list.Write(&s, false);
    return swftest::BytesOf(s.GetStream());
}

// What a record holds, text decoded: equal descriptions mean equal records.
std::string Describe(const CBK_SwfActionRecord& record) {
    std::wostringstream out;
    out << int(record.GetActionId()) << ':';
    if (auto* push = dynamic_cast<const CBK_SwfActionPush*>(&record)) {
        for (std::size_t i = 0; i < push->GetDataCount(); ++i) {
            const auto* v = push->GetData(i);
            out << int(v->type) << '[' << v->text << '|' << v->dword << '|'
                << std::bit_cast<uint64_t>(v->number) << '|' << int(v->byte) << '|' << v->word
                << ']';
        }
    } else if (auto* pool = dynamic_cast<const CBK_SwfActionConstantPool*>(&record)) {
        for (const auto& s : pool->GetStrings())
            out << s << '|';
    } else if (auto* url = dynamic_cast<const CBK_SwfActionGetUrl*>(&record)) {
        out << url->GetUrl() << '|' << url->GetTargetWindow();
    } else if (auto* target = dynamic_cast<const CBK_SwfActionSetTarget*>(&record)) {
        out << target->GetTarget();
    } else if (auto* label = dynamic_cast<const CBK_SwfActionGotoLabel*>(&record)) {
        out << label->GetLabel();
    } else if (auto* with = dynamic_cast<const CBK_SwfActionWith*>(&record)) {
        out << with->GetName() << '|' << with->GetBlockSize();
    }
    const std::wstring w = out.str();
    std::string text;
    for (wchar_t c : w)
        text += c < 128 ? static_cast<char>(c) : '#';
    CBK_SwfActionRecord* copy = record.MakeCopy();
    text += swftest::Hex(swftest::WriteBytes(*copy, record.GetTextVersion()));
    delete copy;
    return text;
}

// Every If and Jump spans the records between it and its target: forward those after it, up
// to the target; backward itself and those before it, down to the target.
bool SpansReachTargets(const CBK_SwfDoAction& list) {
    const auto targets = swftest::TargetIndices(list.GetList());
    for (std::size_t i = 0; i < list.GetActionCount(); ++i) {
        const CBK_SwfActionBranch* branch = list.GetAction(i)->AsBranch();
        if (!branch)
            continue;
        const int64_t target = targets[i].at(0);
        std::vector<CBK_SwfActionRecord*> meant;
        if (branch->GetOffset() < 0)
            for (int64_t k = int64_t(i); k >= target; --k)
                meant.push_back(list.GetAction(std::size_t(k)));
        else if (branch->GetOffset() > 0)
            for (int64_t k = int64_t(i) + 1; k < target; ++k)
                meant.push_back(list.GetAction(std::size_t(k)));
        const auto& spanned = branch->GetBranchActions();
        if (std::vector<CBK_SwfActionRecord*>(spanned.begin(), spanned.end()) != meant)
            return false;
    }
    return true;
}

void CheckList(CBK_SwfDoAction& list, uint8_t version, const std::string& where) {
    SCOPED_TRACE(where);
    const Bytes body = Body(list, version);
    uint64_t sum = 0;
    for (std::size_t i = 0; i < list.GetActionCount(); ++i) {
        CBK_SwfActionRecord* record = list.GetAction(i);
        uint32_t reported = 0;
        const Bytes one = swftest::WriteBytes(*record, version, &reported);
        ASSERT_EQ(one.size(), record->GetSize()) << "record " << i;
        ASSERT_EQ(reported, one.size());
        sum += one.size();
    }
    ASSERT_EQ(body.size(), sum + 1);
    ASSERT_TRUE(swftest::AllTargetsOnRecords(list.GetList()));
}

class SwfActionProperties : public ::testing::TestWithParam<uint8_t> {};

TEST_P(SwfActionProperties, RandomListsKeepSizesTargetsAndContent) {
    const uint8_t version = GetParam();
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Generator gen(seed * 7919 + version, version < 6);
        CBK_SwfDoAction list;
        gen.Statements(list, 0, 12);
        ASSERT_EQ(list.GetOpenBranchCount(), 0u);
        list.AddEndIf(); // nothing open: the spans of jumps set in advance take what followed
        ASSERT_TRUE(SpansReachTargets(list));
        CheckList(list, version, "built");
        const Bytes body = Body(list, version);
        const auto targets = swftest::TargetIndices(list.GetList());
        ASSERT_EQ(targets, Intended(gen, list));

        // read(write(x)) == x
        CBK_SwfDoAction read;
        auto reader = swftest::ReaderOver(body, version);
        ASSERT_EQ(read.Read(reader.get()), body.size());
        ASSERT_EQ(read.GetActionCount(), list.GetActionCount());
        for (std::size_t i = 0; i < list.GetActionCount(); ++i) {
            if (list.GetAction(i)->GetActionId() == 0x9B)
                continue; // functions read back as raw bytes; compared by bytes below
            ASSERT_EQ(Describe(*read.GetAction(i)), Describe(*list.GetAction(i))) << i;
        }
        ASSERT_EQ(Body(read, version), body);
        ASSERT_EQ(swftest::TargetIndices(read.GetList()), targets);
        ASSERT_TRUE(SpansReachTargets(read));

        // Prefixing moves every target with its record, in built and read lists alike.
        const wchar_t* prefix = version < 6 ? L"/cl\u00EFp" : L"/\u00E9\u4E2D/x";
        ASSERT_TRUE(list.adjustPaths(prefix));
        ASSERT_TRUE(read.adjustPaths(prefix));
        CheckList(list, version, "prefixed");
        ASSERT_EQ(swftest::TargetIndices(list.GetList()), targets);
        ASSERT_TRUE(SpansReachTargets(list));
        const Bytes prefixed = Body(list, version);
        ASSERT_EQ(Body(read, version), prefixed);
        CBK_SwfDoAction reread;
        auto r2 = swftest::ReaderOver(prefixed, version);
        reread.Read(r2.get());
        ASSERT_EQ(Body(reread, version), prefixed);
        ASSERT_EQ(swftest::TargetIndices(reread.GetList()), targets);

        // A copy writes the same; removing the prefix restores the list.
        CBK_SwfDoAction copy;
        copy = list;
        ASSERT_EQ(Body(copy, version), prefixed);
        ASSERT_TRUE(SpansReachTargets(copy));
        ASSERT_TRUE(list.adjustPaths(nullptr));
        ASSERT_EQ(Body(list, version), body);

        // Written for the other text encoding and back, targets stay and content returns.
        if (version >= 6) {
            CheckList(list, 5, "as SWF 5");
            ASSERT_EQ(swftest::TargetIndices(list.GetList()), targets);
            ASSERT_TRUE(SpansReachTargets(list));
            ASSERT_EQ(Body(list, version), body);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, SwfActionProperties, ::testing::Values(5, 6, 7));

} // namespace
