// Golden encodings of the action records, checked both ways: each record writes its bytes
// and reports their number, and a record read from them writes them again. Records are read
// both on their own and through an action list (which picks the class by code).
#include <gtest/gtest.h>

#include <functional>

#include "swf/actions/action_branch.h"
#include "swf/actions/action_constant_pool.h"
#include "swf/actions/action_frame.h"
#include "swf/actions/action_function.h"
#include "swf/actions/action_list.h"
#include "swf/actions/action_push.h"
#include "swf/actions/action_url.h"
#include "swf/actions/do_action.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

struct ActionVector {
    const char* name;
    uint8_t version;
    Bytes bytes;
    std::function<CBK_SwfActionRecord*()> make;
};

CBK_SwfActionRecord* Function() {
    auto* f = new CBK_SwfActionDefineFunction(L"f");
    f->AddParam(L"a");
    f->AddParam(L"b");
    f->SetBodySize(20);
    return f;
}

CBK_SwfActionRecord* PushOf(std::function<void(CBK_SwfActionPush&)> add) {
    auto* p = new CBK_SwfActionPush;
    add(*p);
    return p;
}

const std::vector<ActionVector>& Vectors() {
    static const std::vector<ActionVector> vectors = {
        {"Stop", 6, {0x07}, [] { return new CBK_SwfActionStop; }},
        {"Greater", 6, {0x67}, [] { return new CBK_SwfActionGreater; }},
        {"Call", 6, {0x9E, 0x00, 0x00}, [] { return new CBK_SwfActionCall; }},
        {"Push string",
         6,
         {0x96, 0x05, 0x00, 0x00, 'a', 'b', 'c', 0x00},
         [] { return new CBK_SwfActionPush(L"abc"); }},
        {"Push UTF-8 string",
         6,
         {0x96, 0x04, 0x00, 0x00, 0xC3, 0xBC, 0x00},
         [] { return new CBK_SwfActionPush(L"\u00FC"); }},
        {"Push Latin-1 string",
         5,
         {0x96, 0x03, 0x00, 0x00, 0xFC, 0x00},
         [] {
             auto* p = new CBK_SwfActionPush(L"\u00FC");
             p->SetTextVersion(5);
             return p;
         }},
        {"Push double",
         6,
         {0x96, 0x09, 0x00, 0x06, 0x00, 0x00, 0xF0, 0x3F, 0, 0, 0, 0},
         [] { return new CBK_SwfActionPush(1.0); }},
        {"Push integer",
         6,
         {0x96, 0x05, 0x00, 0x07, 0xFB, 0xFF, 0xFF, 0xFF},
         [] { return new CBK_SwfActionPush(int32_t(-5)); }},
        {"Push float",
         6,
         {0x96, 0x05, 0x00, 0x01, 0x00, 0x00, 0xC0, 0x3F},
         [] { return new CBK_SwfActionPush(1.5f); }},
        {"Push float NaN bits",
         6,
         {0x96, 0x05, 0x00, 0x01, 0x01, 0x00, 0xC0, 0x7F},
         [] {
             return PushOf(
                 [](CBK_SwfActionPush& p) { p.AddFloat(std::bit_cast<float>(0x7FC00001u)); });
         }},
        {"Push bool, register, constants, null, undefined",
         6,
         {0x96, 0x0B, 0x00, 0x05, 0x01, 0x04, 0x03, 0x08, 0x02, 0x09, 0x02, 0x01, 0x02, 0x03},
         [] {
             return PushOf([](CBK_SwfActionPush& p) {
                 p.AddBool(1);
                 p.AddRegister(3);
                 p.AddDictionaryLookup(2);
                 p.AddDictionaryLookup2(0x0102);
                 p.AddNull();
                 p.AddUnknown();
             });
         }},
        {"ConstantPool",
         6,
         {0x88, 0x07, 0x00, 0x02, 0x00, 'a', 0x00, 'b', 'c', 0x00},
         [] {
             auto* pool = new CBK_SwfActionConstantPool(L"a");
             pool->AddString(L"bc");
             return pool;
         }},
        {"GotoFrame",
         6,
         {0x81, 0x02, 0x00, 0x03, 0x00},
         [] { return new CBK_SwfActionGotoFrame(3); }},
        {"GotoLabel",
         6,
         {0x8C, 0x03, 0x00, 'g', 'o', 0x00},
         [] { return new CBK_SwfActionGotoLabel(L"go"); }},
        {"WaitForFrame",
         6,
         {0x8A, 0x03, 0x00, 0x0A, 0x00, 0x02},
         [] { return new CBK_SwfActionWaitForFrame(10, 2); }},
        {"WaitForFrame2",
         6,
         {0x8D, 0x01, 0x00, 0x04},
         [] { return new CBK_SwfActionWaitForFrame2(4); }},
        {"GetUrl",
         6,
         {0x83, 0x04, 0x00, 'a', 0x00, 'b', 0x00},
         [] { return new CBK_SwfActionGetUrl(L"a", L"b"); }},
        {"GetUrl2", 6, {0x9A, 0x01, 0x00, 0x40}, [] { return new CBK_SwfActionGetUrl2(0x40); }},
        {"SetTarget",
         6,
         {0x8B, 0x02, 0x00, 'm', 0x00},
         [] { return new CBK_SwfActionSetTarget(L"m"); }},
        {"StoreRegister",
         6,
         {0x87, 0x01, 0x00, 0x01},
         [] { return new CBK_SwfActionStoreRegister(1); }},
        {"With",
         6,
         {0x94, 0x02, 0x00, 0x0C, 0x00},
         [] {
             auto* w = new CBK_SwfActionWith;
             w->SetBlockSize(12);
             return w;
         }},
        {"With named",
         6,
         {0x94, 0x04, 0x00, 0x00, 0x00, 'o', 0x00},
         [] { return new CBK_SwfActionWith(L"o"); }},
        {"DefineFunction",
         6,
         {0x9B, 0x0A, 0x00, 'f', 0x00, 0x02, 0x00, 'a', 0x00, 'b', 0x00, 0x14, 0x00},
         Function},
        {"GotoFrame2 play",
         6,
         {0x9F, 0x01, 0x00, 0x01},
         [] { return new CBK_SwfActionGotoFrame2(true); }},
        {"GotoFrame2 scene bias",
         6,
         {0x9F, 0x03, 0x00, 0x03, 0x02, 0x00},
         [] {
             auto* g = new CBK_SwfActionGotoFrame2(true);
             g->SetSceneBias(2);
             return g;
         }},
        {"Jump",
         6,
         {0x99, 0x02, 0x00, 0x05, 0x00},
         [] { return new CBK_SwfActionBranchAlways(5); }},
        {"If backward",
         6,
         {0x9D, 0x02, 0x00, 0xF6, 0xFF},
         [] { return new CBK_SwfActionBranchIfTrue(-10); }},
        {"unknown short code", 6, {0x3F}, [] { return new CBK_SwfActionUnknown(0x3F); }},
        {"unknown long code, empty",
         6,
         {0x8E, 0x00, 0x00},
         [] { return new CBK_SwfActionUnknown(0x8E); }},
    };
    return vectors;
}

TEST(SwfActionVectors, WriteTheirBytesAndSizes) {
    for (const ActionVector& v : Vectors()) {
        std::unique_ptr<CBK_SwfActionRecord> record(v.make());
        uint32_t reported = 0;
        const Bytes out = swftest::WriteBytes(*record, v.version, &reported);
        EXPECT_EQ(swftest::Hex(out), swftest::Hex(v.bytes)) << v.name;
        EXPECT_EQ(record->GetSize(), out.size()) << v.name;
        EXPECT_EQ(reported, out.size()) << v.name;
        EXPECT_EQ(record->GetActionId(), v.bytes[0]) << v.name;
    }
}

TEST(SwfActionVectors, ReadOnTheirOwnToTheSameBytes) {
    for (const ActionVector& v : Vectors()) {
        std::unique_ptr<CBK_SwfActionRecord> expected(v.make());
        std::unique_ptr<CBK_SwfActionRecord> record(expected->MakeCopy());
        auto reader = swftest::ReaderOver(Bytes(v.bytes.begin() + 1, v.bytes.end()), v.version);
        // Reading overwrites what the copy held.
        EXPECT_EQ(record->Read(reader.get()) + 1, v.bytes.size()) << v.name;
        EXPECT_EQ(swftest::Hex(swftest::WriteBytes(*record, v.version)), swftest::Hex(v.bytes))
            << v.name;
    }
}

TEST(SwfActionVectors, ReadThroughAListToTheSameBytes) {
    for (const ActionVector& v : Vectors()) {
        Bytes list = v.bytes;
        list.push_back(0);
        CBK_SwfDoAction actions;
        auto reader = swftest::ReaderOver(list, v.version);
        EXPECT_EQ(actions.Read(reader.get()), list.size()) << v.name;
        ASSERT_EQ(actions.GetActionCount(), 1u) << v.name;
        CBK_SwfActionRecord* record = actions.GetAction(0);
        const bool raw = dynamic_cast<CBK_SwfActionUnknown*>(record) != nullptr;
        // Functions are kept as raw bytes by the list; records with classes of their own are
        // typed (codes below 0x80 other than SetVariable stay raw, as the table says).
        if (v.bytes[0] >= 0x80 && v.bytes[0] != 0x9B && v.bytes[0] != 0x9E && v.bytes[0] != 0x8E) {
            EXPECT_FALSE(raw) << v.name;
        }
        EXPECT_EQ(swftest::Hex(swftest::WriteBytes(*record, v.version)), swftest::Hex(v.bytes))
            << v.name;
        CBK_SwfStream again(v.version);
        actions.Write(&again, false);
        EXPECT_EQ(again.GetStream(), list) << v.name;
    }
}

} // namespace
