#include <gtest/gtest.h>

#include "swf/actions/action_record.h"
#include "swf/tags/asset_tags.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/marker_tags.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

TEST(SwfFrameLabel, ReadsTheAnchorByteOnlyWhenTheTagHoldsIt) {
    // SWF 6 files whose labels carry no anchor byte: the label ends the tag.
    CBK_SwfFrameLabel label;
    auto reader = swftest::ReaderOver({'a', 0, 'N', 'E', 'X', 'T'}, 6);
    reader->SetCurrentTagLength(2);
    EXPECT_EQ(label.Read(reader.get()), 2u);
    EXPECT_EQ(label.GetLabel(), L"a");
    EXPECT_EQ(label.GetNamedAnchor(), 0);
    EXPECT_EQ(reader->GetBufPos(), 2u);

    auto anchored = swftest::ReaderOver({'a', 0, 1}, 6);
    EXPECT_EQ(label.Read(anchored.get()), 3u);
    EXPECT_EQ(label.GetNamedAnchor(), 1);
    EXPECT_EQ(swftest::WriteBytes(label, 6), (Bytes{0xC3, 0x0A, 'a', 0, 1}));

    auto old = swftest::ReaderOver({'a', 0, 1}, 5);
    EXPECT_EQ(label.Read(old.get()), 2u);
    EXPECT_EQ(label.GetNamedAnchor(), 0);
    EXPECT_EQ(CBK_SwfFrameLabel(nullptr).GetLabel(), L"");
}

TEST(SwfBackgroundColor, KeepsColoursAs0x00BBGGRR) {
    CBK_SwfSetBackgroundColor tag(0x00336699u);
    EXPECT_EQ(swftest::WriteBytes(tag), (Bytes{0x43, 0x02, 0x99, 0x66, 0x33}));
    tag.SetColor(1, 2, 3);
    EXPECT_EQ(tag.GetColor(), 0x030201u);
    CBK_SwfSetBackgroundColor rgb(10, 20, 30);
    EXPECT_EQ(rgb.GetColor(), 0x1E140Au);
}

TEST(SwfAssetTags, InsertRemoveAndOffset) {
    CBK_SwfExportAssets tag;
    tag.AddAsset(new CBK_SwfAsset(1, L"a"), kSwfAppend);
    tag.AddAsset(new CBK_SwfAsset(2, L"bc"), kSwfAppend);
    tag.AddAsset(new CBK_SwfAsset(3, L"first"), 0);
    tag.AddAsset(nullptr, 0);
    ASSERT_EQ(tag.GetAssetCount(), 3u);
    EXPECT_EQ(tag.GetAsset(0)->GetName(), L"first");
    EXPECT_FALSE(tag.RemoveAsset(5));
    EXPECT_TRUE(tag.RemoveAsset(0));
    tag.OffsetInfo(100, 0, 0);
    EXPECT_EQ(tag.GetAsset(0)->GetId(), 101);
    EXPECT_EQ(tag.GetAsset(1)->GetId(), 102);
    tag.OffsetInfo(70000, 0, 0);
    EXPECT_EQ(tag.GetAsset(1)->GetId(), 65535);
    EXPECT_EQ(tag.GetAsset(7), nullptr);

    CBK_SwfAsset asset(5, L"\u00E9");
    ravuz::CBK_SwfStream s(6);
    EXPECT_EQ(asset.Write(&s), 5u); // u16, two UTF-8 bytes, terminator
}

TEST(SwfAssetTags, ACountBeyondTheTagReadsOnlyWhatIsThere) {
    // 65535 announced, one present: no more assets are made than the bytes can hold.
    CBK_SwfExportAssets tag;
    auto reader = swftest::ReaderOver({0xFF, 0xFF, 0x01, 0x00, 'a', 0x00});
    EXPECT_EQ(tag.Read(reader.get()), 6u);
    ASSERT_EQ(tag.GetAssetCount(), 1u);
    EXPECT_EQ(tag.GetAsset(0)->GetName(), L"a");

    CBK_SwfImportAssets import;
    auto r2 = swftest::ReaderOver({'u', 'r', 'l', 0, 0xFF, 0xFF});
    import.Read(r2.get());
    EXPECT_EQ(import.GetUrl(), L"url");
    EXPECT_EQ(import.GetAssetCount(), 0u);
    import.Destroy();
    EXPECT_EQ(import.GetUrl(), L"");
}

TEST(SwfFreeCharacter, ShiftsItsIdWithinRange) {
    CBK_SwfFreeCharacter tag(10);
    tag.OffsetInfo(5, 99, 99);
    EXPECT_EQ(tag.GetId(), 15);
    tag.OffsetInfo(-20, 0, 0);
    EXPECT_EQ(tag.GetId(), 0);
}

TEST(SwfMarkerTags, EveryProductWritesItsCodeAndName) {
    struct Product {
        std::unique_ptr<CBK_SwfQuillfern> tag;
        uint16_t code;
        const char* name;
    };
    Product products[] = {
        {std::make_unique<CBK_SwfQuillfern>(1, 2), 919, "Quillfern"},
        {std::make_unique<CBK_SwfQuillfernKestrow>(1, 2), 920, "Kestrow"},
        {std::make_unique<CBK_SwfQuillfernQuorbel>(1, 2), 921, "Quorbel"},
        {std::make_unique<CBK_SwfQuillfernDunmere>(1, 2), 922, "Dunmere"},
        {std::make_unique<CBK_SwfQuillfernTamblet>(1, 2), 923, "Tamblet"},
        {std::make_unique<CBK_SwfQuillfernKestrowPro>(1, 2), 924, "Kestrow Pro"},
        {std::make_unique<CBK_SwfQuillfernOrvane>(1, 2), 925, "Orvane"},
        {std::make_unique<CBK_SwfQuillfernBrindle>(1, 2), 926, "Brindle"},
        {std::make_unique<CBK_SwfQuillfernPellamy>(1, 2), 927, "Pellamy"},
        {std::make_unique<CBK_SwfQuillfernStravel>(1, 2), 928, "Stravel"},
        {std::make_unique<CBK_SwfQuillfernGaltrap>(1, 2), 929, "Galtrap"},
    };
    for (Product& p : products) {
        const Bytes out = swftest::WriteBytes(*p.tag);
        EXPECT_EQ((out[0] | (out[1] << 8)) >> 6, p.code);
        CBK_SwfQuillfern back(0, 0);
        swftest::ReadTag(back, out);
        EXPECT_EQ(back.GetProductName(), p.name);
        EXPECT_EQ(back.GetMajorVersion(), 1);
        EXPECT_EQ(back.GetMinorVersion(), 2);
    }
}

TEST(SwfMarkerTags, LongOrShortNamesNeverOverrunTheirBuffers) {
    // Length bytes of 255 and strings cut short by the end of the data.
    Bytes payload{255};
    payload.insert(payload.end(), 255, 'x');
    payload.push_back(3);
    payload.insert(payload.end(), {'u', 'r', 'l'});
    payload.push_back(200); // the product name runs past the end
    payload.insert(payload.end(), {'S', 't'});
    CBK_SwfQuillfern tag(9, 9);
    auto reader = swftest::ReaderOver(payload);
    EXPECT_EQ(tag.Read(reader.get()), payload.size());
    EXPECT_EQ(tag.GetProductName(), "St");
    EXPECT_EQ(tag.GetMajorVersion(), 0);
}

} // namespace
