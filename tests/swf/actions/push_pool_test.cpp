#include <gtest/gtest.h>

#include "swf/actions/action_constant_pool.h"
#include "swf/actions/action_function.h"
#include "swf/actions/action_push.h"
#include "swf/actions/action_url.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

void ExpectSizeMatchesWrite(CBK_SwfActionRecord& record, uint8_t version = 6) {
    uint32_t reported = 0;
    const Bytes out = swftest::WriteBytes(record, version, &reported);
    EXPECT_EQ(record.GetSize(), out.size());
    EXPECT_EQ(reported, out.size());
    if (out.size() >= 3) {
        EXPECT_EQ(out[1] | (out[2] << 8), out.size() - 3);
    }
}

TEST(SwfActionPush, InsertsAtAPositionOrAppends) {
    CBK_SwfActionPush push(int32_t(1));
    push.AddDWord(2);
    EXPECT_EQ(push.AddDWord(0, 0), 5u);
    EXPECT_EQ(push.AddDWord(3, 5), 5u);
    ASSERT_EQ(push.GetDataCount(), 4u);
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(push.GetData(i)->dword, i);
    EXPECT_EQ(push.GetData(4), nullptr);
    EXPECT_EQ(CBK_SwfActionPush(uint16_t(0x1234), 4).GetData(0)->byte, 0x34);
    EXPECT_EQ(CBK_SwfActionPush(uint16_t(7), 3).GetDataCount(), 0u);
}

TEST(SwfActionPush, RemovingAValueTakesItsSizeOff) {
    CBK_SwfActionPush push;
    push.AddUnknown();
    push.AddString(L"ab");
    push.AddDouble(2.5);
    EXPECT_EQ(push.GetPayloadSize(), 1u + 4u + 9u);
    EXPECT_FALSE(push.RemoveData(3));
    EXPECT_TRUE(push.RemoveData(0));
    EXPECT_EQ(push.GetPayloadSize(), 13u);
    EXPECT_TRUE(push.RemoveData(0));
    EXPECT_EQ(push.GetPayloadSize(), 9u);
    ExpectSizeMatchesWrite(push);
}

TEST(SwfActionPush, PrefixesAbsolutePathsAndRoot) {
    CBK_SwfActionPush push(L"/x");
    push.AddString(L"_root");
    push.AddString(L"y");
    EXPECT_TRUE(push.SetPrefix(L"/m"));
    EXPECT_EQ(push.GetPrefixGrowth(), 4u);
    const Bytes expected{0x96, 0x12, 0x00, 0x00, '/', 'm', '/',  'x',  0x00, 0x00, '_',
                         'r',  'o',  'o',  't',  '.', 'm', 0x00, 0x00, 'y',  0x00};
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(push)), swftest::Hex(expected));
    ExpectSizeMatchesWrite(push);
    EXPECT_EQ(push.GetPrefix(), L"/m"); // writing leaves the prefix as it was

    EXPECT_TRUE(push.SetPrefix(""));
    EXPECT_EQ(push.GetPrefixGrowth(), 0u);
    EXPECT_TRUE(push.SetPrefix("/\xC3\xA9t\xC3\xA9")); // UTF-8 text
    EXPECT_EQ(push.GetPrefix(), L"/\u00E9t\u00E9");
    ExpectSizeMatchesWrite(push);
    EXPECT_TRUE(push.SetPrefix(static_cast<const wchar_t*>(nullptr)));
    EXPECT_EQ(swftest::WriteBytes(push)[1], 0x0E);
}

TEST(SwfActionPush, GrowthFollowsEveryChangeOfValues) {
    CBK_SwfActionPush push(L"/a");
    push.SetPrefix(L"/clip");
    EXPECT_EQ(push.GetPrefixGrowth(), 5u);
    push.AddString(L"/b"); // added after the prefix
    EXPECT_EQ(push.GetPrefixGrowth(), 10u);
    ExpectSizeMatchesWrite(push);
    push.RemoveData(0);
    EXPECT_EQ(push.GetPrefixGrowth(), 5u);
    ExpectSizeMatchesWrite(push);
    // A multi-byte first character of the prefix is replaced by one byte.
    push.SetPrefix(L"\u00E9x");
    EXPECT_EQ(push.GetPrefixGrowth(), 2u);
    ExpectSizeMatchesWrite(push);
    CBK_SwfActionPush copy(push);
    ExpectSizeMatchesWrite(copy);
    EXPECT_EQ(swftest::WriteBytes(copy), swftest::WriteBytes(push));
}

TEST(SwfActionPush, TextVersionDecidesTheEncodingAndSize) {
    CBK_SwfActionPush push(L"\u00E9\u4E2D");
    EXPECT_EQ(push.GetSize(), 3u + 2u + 5u);
    EXPECT_TRUE(push.SetTextVersion(5));
    EXPECT_EQ(push.GetSize(), 3u + 2u + 2u);
    EXPECT_EQ(swftest::WriteBytes(push, 6), (Bytes{0x96, 0x04, 0x00, 0x00, 0xE9, '?', 0x00}));
    ExpectSizeMatchesWrite(push, 6);
}

TEST(SwfActionPush, NothingIsAddedBeyondTheSizeOfOneRecord) {
    CBK_SwfActionPush push;
    const std::wstring big(40000, L'a');
    EXPECT_GT(push.AddString(big), 0u);
    EXPECT_EQ(push.AddString(big), 0u);
    EXPECT_EQ(push.GetDataCount(), 1u);
    EXPECT_EQ(push.AddString(std::wstring(25532, L'b')), 0u);
    std::wstring path(25531, L'b');
    path[0] = L'/';
    EXPECT_EQ(push.AddString(path), 25533u);
    EXPECT_EQ(push.GetSize(), 65535u + 3u);
    EXPECT_EQ(push.AddNull(), 0u);
    // The prefix would push it over: refused, nothing changes.
    EXPECT_FALSE(push.SetPrefix(L"/x"));
    EXPECT_EQ(push.GetPrefix(), L"");
    ExpectSizeMatchesWrite(push);
    CBK_SwfActionPush wide(std::wstring(30000, L'\u00E9'));
    wide.SetTextVersion(5);
    wide.AddString(std::wstring(30000, L'a'));
    EXPECT_FALSE(wide.SetTextVersion(6)); // would need 90 KiB
    EXPECT_EQ(wide.GetTextVersion(), 5);
}

TEST(SwfActionConstantPool, KeepsOneOfEachStringWhenBuilding) {
    CBK_SwfActionConstantPool pool(L"a");
    EXPECT_TRUE(pool.AddString(L"b"));
    EXPECT_FALSE(pool.AddString(L"a"));
    EXPECT_TRUE(pool.AddString(L"A", 0));
    EXPECT_EQ(pool.GetStrings(), (std::vector<std::wstring>{L"A", L"a", L"b"}));
    EXPECT_EQ(pool.GetStringIndex(L"b"), 2);
    EXPECT_EQ(pool.GetStringIndex(L"z"), -1);
    EXPECT_EQ(pool.GetString(-1), L"b");
    EXPECT_EQ(pool.GetString(1), L"a");
    EXPECT_FALSE(pool.RemoveString(3));
    EXPECT_TRUE(pool.RemoveString(0));
    EXPECT_EQ(CBK_SwfActionConstantPool().GetString(0), L"");
    EXPECT_FALSE(pool.AddString(std::wstring(70000, L'x')));
}

TEST(SwfActionConstantPool, ReadingKeepsRepeatsAndTheSizeCountsThePrefix) {
    CBK_SwfActionConstantPool pool;
    auto reader = swftest::ReaderOver({0x0A, 0x00, 0x03, 0x00, 'a', 0, 'a', 0, '_', 'r'});
    pool.Read(reader.get());
    EXPECT_EQ(pool.GetStrings(), (std::vector<std::wstring>{L"a", L"a", L"_r"}));

    CBK_SwfActionConstantPool rooted(L"_root");
    rooted.AddString(L"/abs");
    rooted.SetPrefix(L"/clip");
    const Bytes expected{0x88, 0x12, 0x00, 0x02, 0x00, '_', 'r', 'o', 'o', 't', '.',
                         'c',  'l',  'i',  'p',  0x00, '/', 'a', 'b', 's', 0x00};
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(rooted)), swftest::Hex(expected));
    ExpectSizeMatchesWrite(rooted);
    CBK_SwfActionConstantPool copy(rooted);
    ExpectSizeMatchesWrite(copy);
}

TEST(SwfActionSetTarget, PrefixesOnlyAbsoluteTargets) {
    CBK_SwfActionSetTarget absolute(L"/m");
    absolute.SetPrefix(L"/root");
    EXPECT_EQ(swftest::WriteBytes(absolute),
              (Bytes{0x8B, 0x08, 0x00, '/', 'r', 'o', 'o', 't', '/', 'm', 0x00}));
    ExpectSizeMatchesWrite(absolute);
    CBK_SwfActionSetTarget relative(L"m");
    relative.SetPrefix(L"/root");
    EXPECT_EQ(relative.GetPrefix(), L"");
    EXPECT_EQ(swftest::WriteBytes(relative), (Bytes{0x8B, 0x02, 0x00, 'm', 0x00}));
    CBK_SwfActionSetTarget assigned;
    assigned = absolute; // the target only
    EXPECT_EQ(assigned.GetTarget(), L"/m");
    EXPECT_EQ(assigned.GetPrefix(), L"");
    std::unique_ptr<CBK_SwfActionRecord> copy(absolute.MakeCopy());
    EXPECT_EQ(swftest::WriteBytes(*copy), swftest::WriteBytes(absolute));
}

TEST(SwfActionDefineFunction, ParametersByIndex) {
    CBK_SwfActionDefineFunction f(L"f");
    EXPECT_EQ(f.GetParam(0), L"");
    f.AddParam(L"b");
    f.AddParam(L"a", 0);
    EXPECT_EQ(f.GetParam(9), L"b");
    EXPECT_TRUE(f.SetParam(L"c", 1));
    EXPECT_FALSE(f.SetParam(L"c", 2));
    EXPECT_FALSE(f.RemoveParam(2));
    EXPECT_TRUE(f.RemoveParam(0));
    EXPECT_EQ(f.GetParam(0), L"c");
    ExpectSizeMatchesWrite(f);
    f.SetFunctionName(std::wstring(70000, L'n')); // cut to fit the record
    ExpectSizeMatchesWrite(f);
    EXPECT_EQ(f.GetSize(), 65535u + 3u);
}

TEST(SwfActionText, LongTextIsCutToFitItsRecord) {
    CBK_SwfActionGetUrl url(std::wstring(40000, L'u'), std::wstring(40000, L't'));
    ExpectSizeMatchesWrite(url);
    EXPECT_EQ(url.GetSize(), 65535u + 3u);
    CBK_SwfActionSetTarget target(std::wstring(70000, L'/').c_str());
    target.SetPrefix(L"/p");
    ExpectSizeMatchesWrite(target);
    CBK_SwfActionWith with(std::wstring(70000, L'w'));
    ExpectSizeMatchesWrite(with);
    CBK_SwfActionWith nul(std::wstring(L"\0x", 2));
    EXPECT_EQ(nul.GetSize(), 5u); // a name that encodes to nothing is not written
    ExpectSizeMatchesWrite(nul);
}

} // namespace
