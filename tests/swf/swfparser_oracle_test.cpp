// A movie made of this model's tags, read by an independent SWF parser.
#include <gtest/gtest.h>

#include "swf/actions/action_branch.h"
#include "swf/actions/action_constant_pool.h"
#include "swf/actions/action_function.h"
#include "swf/actions/action_push.h"
#include "swf/actions/action_url.h"
#include "swf/actions/do_action.h"
#include "swf/records/rect.h"
#include "swf/tags/asset_tags.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/marker_tags.h"
#include "swf/tags/place_object.h"
#include "swf/tags/remove_object.h"
#include "tests/support/tools.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;

// A one-frame movie of 550 x 400 pixels holding the tags.
std::string Movie(uint8_t version, std::vector<std::unique_ptr<CBK_SwfTag>>& tags) {
    std::vector<CBK_SwfTag*> raw;
    for (auto& tag : tags)
        raw.push_back(tag.get());
    return swftest::Movie(version, 11000, 8000, 1, raw);
}

TEST(SwfParserOracle, ReadsOurTagsAndActions) {
    STRAVEL_REQUIRE_TOOL("swfparser");
    std::vector<std::unique_ptr<CBK_SwfTag>> tags;
    tags.push_back(std::make_unique<CBK_SwfSetBackgroundColor>(0x336699u));
    tags.push_back(std::make_unique<CBK_SwfQuillfernStravel>(1, 15));
    tags.push_back(std::make_unique<CBK_SwfFrameLabel>(L"d\u00E9but"));

    auto actions = std::make_unique<CBK_SwfDoAction>();
    actions->AddAction(new CBK_SwfActionConstantPool(L"_root"));
    actions->AddAction(new CBK_SwfActionBranchIfTrue(0));
    auto* push = new CBK_SwfActionPush(L"/clip/\u00E9t\u00E9");
    push->AddDWord(42);
    push->AddDouble(0.5);
    push->AddBool(1);
    actions->AddAction(push);
    auto* f = new CBK_SwfActionDefineFunction(L"f");
    f->AddParam(L"x");
    actions->AddAction(f);
    auto* body = new CBK_SwfActionPush(L"_root");
    actions->AddAction(body);
    f->SetBodySize(static_cast<uint16_t>(body->GetSize()));
    actions->AddAction(new CBK_SwfActionGetUrl(L"http://example.org/\u00FC", L"_blank"));
    actions->AddEndIf();
    ASSERT_TRUE(actions->adjustPaths(L"/holder"));
    tags.push_back(std::move(actions));

    auto placed = std::make_unique<CBK_SwfPlaceObject2>();
    placed->SetCharacterId(1);
    placed->SetDepth(2);
    placed->SetName(L"n\u00E4me");
    auto* handler = new CBK_SwfClipAction(0x1);
    handler->AddAction(new CBK_SwfActionStop);
    placed->AddClipAction(handler);
    tags.push_back(std::move(placed));
    auto exported = std::make_unique<CBK_SwfExportAssets>();
    exported->AddAsset(new CBK_SwfAsset(1, L"asset"), kSwfAppend);
    tags.push_back(std::move(exported));
    tags.push_back(std::make_unique<CBK_SwfRemoveObject2>(2));
    tags.push_back(std::make_unique<CBK_SwfShowFrame>());
    tags.push_back(std::make_unique<CBK_SwfEnd>());

    stravel::testing::TempDir dir;
    const auto path = dir / "movie.swf";
    stravel::testing::WriteFileBytes(path, Movie(6, tags));
    const auto result = stravel::testing::RunTool({"swfparser", "-e", path.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string& out = result.out;
    // The If spans the Push (39 bytes), the function (11), its body (17) and GetURL (32).
    // The parser keeps the label (with its anchor byte) and the asset list as raw bytes.
    for (const char* expected : {"SetBackgroundColor",
                                 "BackgroundColor: [153, 102, 51]",
                                 "tag=928",
                                 "Stravel4\\x00\\x00\\x00\\x01\\x00M\\x00\\x00\\x00\\x0f\\x00",
                                 "d\\xc3\\xa9but\\x00\\x00",
                                 "ActionConstantPool",
                                 "ConstantPool: ['_root.holder']",
                                 "BranchOffset: 99",
                                 "String: '/holder/clip/\xC3\xA9t\xC3\xA9'",
                                 "Integer: 42",
                                 "Type: 6",
                                 "Boolean: 1",
                                 "ActionDefineFunction",
                                 "param1: 'x'",
                                 "CodeSize: 17",
                                 "String: '_root.holder'",
                                 "UrlString: 'http://example.org/\xC3\xBC'",
                                 "TargetString: '_blank'",
                                 "PlaceFlagHasClipActions: 1",
                                 "Name: 'n\xC3\xA4me'",
                                 "\\x01\\x00\\x01\\x00asset\\x00",
                                 "RemoveObject2",
                                 "Depth: 2",
                                 "ShowFrame"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    EXPECT_EQ(out.find("FailingObject)\nExportAssets"), std::string::npos);
    EXPECT_EQ(out.find("PlaceObject2 (FailingObject)"), std::string::npos);
    EXPECT_EQ(out.find("DoAction (FailingObject)"), std::string::npos);
}

} // namespace
