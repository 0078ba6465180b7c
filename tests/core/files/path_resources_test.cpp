#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/files/file_create_attributes.h"
#include "core/paths/path.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"
#include "platform/resources/resource_fork.h"
#include "tests/core/files/fork_test_support.h"
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
    EXPECT_FALSE(BK_ResolveShortcut(PathOf(work / "Tool alias"), resolved));
}

} // namespace
