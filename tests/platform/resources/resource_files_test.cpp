#include <gtest/gtest.h>

#include <string>

#include "platform/memory.h"
#include "platform/resources/resource_files.h"
#include "tests/support/tools.h"

namespace {

using namespace tbx;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

TEST(ResourceFilesTest, TypesThatAreNotPlainNamesAreEscaped) {
    EXPECT_EQ(ResourceTypeFolderName(FourCC("CURS")), "CURS");
    EXPECT_EQ(ResourceTypeFolderName(FourCC("snd ")), "snd%20");
    EXPECT_EQ(ResourceTypeFolderName(FourCC("a/b%")), "a%2Fb%25");
}

TEST(ResourceFilesTest, TheChainIsSearchedFromTheCurrentFileBack) {
    TempDir dir;
    std::filesystem::create_directories(dir / "a.rsrc" / "snd%20");
    std::filesystem::create_directories(dir / "a.rsrc" / "TEXT");
    std::filesystem::create_directories(dir / "b.rsrc" / "TEXT");
    WriteFileBytes(dir / "a.rsrc" / "snd%20" / "-5", "sound");
    WriteFileBytes(dir / "a.rsrc" / "TEXT" / "1", "from a");
    WriteFileBytes(dir / "b.rsrc" / "TEXT" / "1", "from b!");
    const FSSpec a{(dir / "a.rsrc").string()}, b{(dir / "b.rsrc").string()};
    const SInt16 refA = FSpOpenResFile(&a, fsRdPerm);
    const SInt16 refB = FSpOpenResFile(&b, fsRdPerm);
    ASSERT_NE(refA, kResFileNotOpened);
    ASSERT_NE(refB, kResFileNotOpened);
    EXPECT_EQ(CurResFile(), refB);

    Handle text = GetResource(FourCC("TEXT"), 1);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(*text, GetHandleSize(text)), "from b!");
    ReleaseResource(text);
    EXPECT_EQ(ResError(), noErr);
    ReleaseResource(text); // not a resource any more
    EXPECT_EQ(ResError(), resNotFound);

    Handle sound = GetResource(FourCC("snd "), -5); // found further back in the chain
    ASSERT_NE(sound, nullptr);
    ReleaseResource(sound);
    EXPECT_EQ(Get1Resource(FourCC("snd "), -5), nullptr);
    EXPECT_EQ(ResError(), resNotFound);

    UseResFile(refA);
    text = Get1Resource(FourCC("TEXT"), 1);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(*text, GetHandleSize(text)), "from a");
    ReleaseResource(text);
    UseResFile(999);
    EXPECT_EQ(ResError(), resFNotFound);
    EXPECT_EQ(CurResFile(), refA);

    const FSSpec missing{(dir / "none.rsrc").string()};
    EXPECT_EQ(FSpOpenResFile(&missing, fsRdPerm), kResFileNotOpened);
    EXPECT_EQ(ResError(), fnfErr);
    CloseResFile(refB);
    CloseResFile(refA);
    EXPECT_EQ(GetResource(FourCC("TEXT"), 1), nullptr);
}

} // namespace

TEST(ResourceFilesTest, ManyOpensNeverGiveANumberThatIsNegativeOrHeld) {
    TempDir dir;
    for (const char* name : {"a.rsrc", "b.rsrc"}) {
        std::filesystem::create_directories(dir / name / "TEXT");
        WriteFileBytes(dir / name / "TEXT" / "1", name);
    }
    const FSSpec a{(dir / "a.rsrc").string()}, b{(dir / "b.rsrc").string()};
    const SInt16 refA = FSpOpenResFile(&a, fsRdPerm);
    ASSERT_GT(refA, 0);
    // More opens than a 16-bit counter has values.
    for (int i = 0; i < 70000; ++i) {
        const SInt16 refB = FSpOpenResFile(&b, fsRdPerm);
        ASSERT_GT(refB, 0) << "open " << i;
        ASSERT_NE(refB, refA) << "open " << i;
        CloseResFile(refB);
        ASSERT_EQ(ResError(), noErr);
    }
    UseResFile(refA);
    Handle text = Get1Resource(FourCC("TEXT"), 1);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(*text, GetHandleSize(text)), "a.rsrc");
    ReleaseResource(text);
    CloseResFile(refA);
    EXPECT_EQ(ResError(), noErr);
}
