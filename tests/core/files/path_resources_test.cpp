#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/files/file_create_attributes.h"
#include "core/paths/path.h"
#include "core/system/app_resources.h"
#include "platform/bundle.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_fork.h"
#include "tests/core/files/fork_test_support.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/private_folders.h"
#include "tests/support/tools.h"

namespace {

using namespace tbx;
using stravel::testing::ForkBytes;
using stravel::testing::RefOf;
using stravel::testing::RunTool;
using stravel::testing::WriteFileBytes;
namespace fs = std::filesystem;

// Lists a resource map read straight from the published layout: type, id, name and the
// data in hexadecimal, one resource a line.
const char* const kReader = R"(import struct, sys
b = sys.stdin.buffer.read()
do, mo, dl, ml = struct.unpack('>IIII', b[:16])
m = b[mo:mo + ml]
tl, nl = struct.unpack('>HH', m[24:28])
types = (struct.unpack('>H', m[tl:tl + 2])[0] + 1) & 0xFFFF
for i in range(types):
    t, c, off = struct.unpack('>4sHH', m[tl + 2 + 8 * i:tl + 10 + 8 * i])
    for j in range(c + 1):
        r = m[tl + off + 12 * j:tl + off + 12 * j + 12]
        rid, noff, word = struct.unpack('>hHI', r[:8])
        at = do + (word & 0xFFFFFF)
        data = b[at + 4:at + 4 + struct.unpack('>I', b[at:at + 4])[0]]
        name = '' if noff == 0xFFFF else m[nl + noff + 1:nl + noff + 1 + m[nl + noff]].decode('mac_roman')
        print(t.decode('mac_roman'), rid, name, data.hex())
)";

CBK_Path PathOf(const fs::path& path) {
    return CBK_Path(BK_FileSystemNameToWide(path.string()));
}

std::string Listing(const std::string& fork) {
    const auto result = RunTool({"python3", "-c", kReader}, fork);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out;
}

class PathResourcesTest : public ::testing::Test {
protected:
    stravel::testing::PrivateFolders folders;
    fs::path work = folders.Work();
};

TEST_F(PathResourcesTest, ResourceFilesHoldAnEmptyMapInTheirDataFork) {
    STRAVEL_REQUIRE_TOOL("python3");
    CBK_Path path = PathOf(work / "prefs.rsrc");
    BK_FILE_CREATE_ATTRIBUTES attributes;
    attributes.type = FourCC("rsrc");
    ASSERT_TRUE(path.CreateResFile(&attributes, false, false));
    const std::string fork = ForkBytes(RefOf(work / "prefs.rsrc"), false);
    EXPECT_EQ(fork.size(), 256u + 30u);
    EXPECT_EQ(Listing(fork), "");
    std::vector<ForkResource> resources;
    EXPECT_EQ(rsrc::ReadForkResources(RefOf(work / "prefs.rsrc"), false, resources), noErr);
    EXPECT_TRUE(resources.empty());
    WriteFileBytes(work / "prefs.rsrc", "keep");
    EXPECT_FALSE(path.CreateResFile(nullptr, false, false));
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "prefs.rsrc"), "keep");
    EXPECT_TRUE(path.CreateResFile(nullptr, false, true));
    EXPECT_EQ(ForkBytes(RefOf(work / "prefs.rsrc"), false).size(), 286u);
}

TEST_F(PathResourcesTest, HeapSizesLandInTheSizeResourceAfterItsFlags) {
    STRAVEL_REQUIRE_TOOL("python3");
    WriteFileBytes(work / "app", "code");
    const FSRef app = RefOf(work / "app");
    ForkResource size{FourCC("SIZE"), -1, 0,
                      false,          "", std::string("\x58\x80\0\0\0\0\0\0\0\0", 10)};
    ForkResource text{FourCC("STR "), 128, 0x20, true, "caf\x8e", "hi"};
    ASSERT_EQ(rsrc::WriteForkResources(app, true, {text, size}), noErr);
    CBK_Path path = PathOf(work / "app");
    ASSERT_TRUE(path.SetMemoryHeapSize(0x00200000, 0x00100000));
    EXPECT_EQ(Listing(ForkBytes(RefOf(work / "app"), true)),
              "STR  128 caf\xc3\xa9 6869\nSIZE -1  58800020000000100000\n");
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "app"), "code");

    WriteFileBytes(work / "plain", "x");
    EXPECT_FALSE(PathOf(work / "plain").SetMemoryHeapSize(1, 1)); // no resource fork
    ASSERT_EQ(rsrc::WriteForkResources(RefOf(work / "plain"), true, {text}), noErr);
    EXPECT_FALSE(PathOf(work / "plain").SetMemoryHeapSize(1, 1)); // no 'SIZE' -1
    EXPECT_FALSE(PathOf(work / "missing").SetMemoryHeapSize(1, 1));
}

TEST_F(PathResourcesTest, AliasFilesOfApplicationsCarryTheAliasFlagAndTypeAdrp) {
    STRAVEL_REQUIRE_TOOL("python3");
    STRAVEL_REQUIRE_TOOL("getfattr");
    WriteFileBytes(work / "Tool", "binary");
    FSRef tool = RefOf(work / "Tool");
    FSCatalogInfo info;
    FileInfo finder;
    finder.fileType = FourCC("APPL");
    finder.fileCreator = FourCC("ABCD");
    SetFileInfo(info, finder);
    ASSERT_EQ(FSSetCatalogInfo(&tool, kFSCatInfoFinderInfo, &info), noErr);

    ASSERT_TRUE(BK_CreateShortcut(PathOf(work / "Tool"), PathOf(work / "Tool alias")));
    const auto attribute = RunTool({"getfattr", "--only-values", "-n", "user.com.apple.FinderInfo",
                                    (work / "Tool alias").string()});
    ASSERT_EQ(attribute.exitCode, 0) << attribute.err;
    EXPECT_EQ(attribute.out.substr(0, 10), std::string("adrpABCD\x80\0", 10));
    std::string hexPath;
    for (unsigned char c : (work / "Tool").string())
        hexPath += "0123456789abcdef"[c >> 4], hexPath += "0123456789abcdef"[c & 15];
    EXPECT_EQ(Listing(ForkBytes(RefOf(work / "Tool alias"), true)), "alis 0  " + hexPath + "\n");
    EXPECT_FALSE(BK_CreateShortcut(PathOf(work / "Tool"), PathOf(work / "Tool alias")));
    EXPECT_FALSE(BK_CreateShortcut(PathOf(work / "none"), PathOf(work / "none alias")));
    EXPECT_FALSE(fs::exists(work / "none alias"));
    CBK_Path resolved;
    EXPECT_TRUE(BK_ResolveShortcut(PathOf(work / "Tool alias"), resolved));
    EXPECT_EQ(resolved.GetPathString(), PathOf(work / "Tool").GetPathString());
}

TEST_F(PathResourcesTest, ResourceFilesAndForksOpenAsModulesAndLyingMapsAreRefused) {
    CBK_Path data = PathOf(work / "data.rsrc");
    ASSERT_TRUE(data.CreateResFile(nullptr, false, false));
    ASSERT_EQ(rsrc::WriteForkResources(RefOf(work / "data.rsrc"), false,
                                       {{FourCC("TEXT"), 7, 0, false, "", "in the data fork"}}),
              noErr);
    WriteFileBytes(work / "Tool", "binary");
    ASSERT_TRUE(BK_CreateShortcut(PathOf(work / "Tool"), PathOf(work / "Tool alias")));
    CBK_ResModule fromData, fromFork;
    ASSERT_TRUE(fromData.Load(data));
    ASSERT_TRUE(fromFork.Load(PathOf(work / "Tool alias"))); // its "._Tool alias" sidecar
    Handle handle = nullptr;
    int32_t size = 0;
    ASSERT_TRUE(fromData.GetResource(FourCC("TEXT"), 7, handle, &size));
    EXPECT_EQ(std::string(*handle, std::size_t(size)), "in the data fork");
    BK_ReleaseResource(handle);
    EXPECT_FALSE(fromFork.GetResource(FourCC("TEXT"), 7, handle, &size));
    ASSERT_TRUE(fromFork.GetResource(FourCC("alis"), 0, handle, &size));
    EXPECT_EQ(std::string(*handle, std::size_t(size)), (work / "Tool").string());
    BK_ReleaseResource(handle);

    // A reference whose data offset points past the data, and a data length past the fork.
    std::string fork = ForkBytes(RefOf(work / "data.rsrc"), false);
    const std::size_t map = std::size_t(uint8_t(fork[6])) << 8 | uint8_t(fork[7]);
    for (std::size_t at : {map + 28 + 2 + 8 + 7, std::size_t(256 + 3)}) {
        std::string lying = fork;
        lying[at] = char(0x40);
        WriteFileBytes(work / "lying.rsrc", lying);
        CBK_ResModule module;
        EXPECT_FALSE(module.Load(PathOf(work / "lying.rsrc"))) << at;
        const FSSpec file{(work / "lying.rsrc").string()};
        EXPECT_EQ(FSpOpenResFile(&file, fsRdPerm), kResFileNotOpened);
        EXPECT_EQ(ResError(), mapReadErr);
    }
    EXPECT_FALSE(CBK_ResModule().Load(PathOf(work / "Tool"))); // no map in either fork
}

TEST_F(PathResourcesTest, AliasChainsResolveToThirtyTwoLinksAndLoopsFail) {
    WriteFileBytes(work / "Tool", "binary");
    ASSERT_TRUE(BK_CreateShortcut(PathOf(work / "Tool"), PathOf(work / "alias")));
    // link 32 -> link 31 -> ... -> link 1 -> alias -> Tool
    fs::create_symlink("alias", work / "link 1");
    for (int i = 2; i <= 32; ++i)
        fs::create_symlink(work / ("link " + std::to_string(i - 1)),
                           work / ("link " + std::to_string(i)));
    FSRef ref = RefOf(work / "link 32");
    CBK_Path kept(ref);
    EXPECT_EQ(CBK_Path::m_nLastError, noErr);
    EXPECT_EQ(kept.GetPathString(), PathOf(work / "link 32").GetPathString());
    CBK_Path target;
    EXPECT_FALSE(BK_ResolveShortcut(PathOf(work / "link 32"), target)); // 33 links
    EXPECT_EQ(CBK_Path::m_nLastError, paramErr);
    ASSERT_TRUE(BK_ResolveShortcut(PathOf(work / "link 31"), target));
    EXPECT_EQ(target.GetPathString(), PathOf(work / "Tool").GetPathString());
    EXPECT_FALSE(BK_ResolveShortcut(PathOf(work / "Tool"), target)); // no alias
    // Two alias files of each other.
    WriteFileBytes(work / "loop b", "");
    ASSERT_TRUE(BK_CreateShortcut(PathOf(work / "loop b"), PathOf(work / "loop a")));
    fs::remove(work / "loop b");
    ASSERT_TRUE(BK_CreateShortcut(PathOf(work / "loop a"), PathOf(work / "loop b")));
    EXPECT_FALSE(BK_ResolveShortcut(PathOf(work / "loop a"), target));
    EXPECT_EQ(CBK_Path::m_nLastError, paramErr);
    fs::remove(work / "Tool");
    EXPECT_FALSE(BK_ResolveShortcut(PathOf(work / "alias"), target));
    EXPECT_EQ(CBK_Path::m_nLastError, fnfErr);

    // The application path goes through an alias of the bundle to the bundle itself.
    stravel::testing::ScratchBundle bundle("");
    fs::create_symlink(bundle.Path(), work / "Linked.app");
    tbx::test::SetMainBundlePath((work / "Linked.app").string());
    CBK_Path app;
    ASSERT_TRUE(app.GetAppPath());
    EXPECT_EQ(app.GetPathString(), PathOf(bundle.Path()).GetPathString() + L"/");
}

} // namespace
