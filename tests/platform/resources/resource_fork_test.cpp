#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/fs_catalog.h"
#include "platform/resources/resource_fork.h"
#include "tests/support/private_folders.h"

namespace {

using namespace tbx;

TEST(ResourceForkTest, MapsRoundTripAndDamagedOnesAreRefused) {
    const std::vector<ForkResource> resources = {
        {FourCC("TEXT"), 1, 0, true, "n", "abc"},
        {FourCC("SIZE"), -1, 0x20, false, "", std::string(10, '\1')},
        {FourCC("TEXT"), 2, 0, false, "", ""},
    };
    const std::string good = rsrc::BuildResourceFork(resources);
    std::vector<ForkResource> read;
    ASSERT_TRUE(rsrc::ParseResourceFork(good, read));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].data, "abc");
    EXPECT_EQ(read[0].name, "n");
    EXPECT_EQ(read[1].type, FourCC("TEXT")); // grouped by type
    EXPECT_EQ(read[1].id, 2);
    EXPECT_EQ(read[2].id, -1);
    EXPECT_EQ(read[2].attributes, 0x20);
    EXPECT_EQ(rsrc::BuildResourceFork(read),
              rsrc::BuildResourceFork({resources[0], resources[2], resources[1]}));
    // Every cut of the bytes, and a data length that runs past the data, is refused.
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(rsrc::ParseResourceFork(good.substr(0, n), read)) << n;
    std::string longer = good;
    longer[256 + 3] = char(200);
    EXPECT_FALSE(rsrc::ParseResourceFork(longer, read));
}

TEST(ResourceForkTest, TypesSharingOneReferenceListAreRefused) {
    std::string fork =
        rsrc::BuildResourceFork({{FourCC("AAAA"), 1, 0, false, "", std::string(100, 'a')},
                                 {FourCC("BBBB"), 1, 0, false, "", "b"}});
    std::vector<ForkResource> read;
    ASSERT_TRUE(rsrc::ParseResourceFork(fork, read));
    // The second type entry points at the first one's references, and so at its data.
    const std::size_t map = std::size_t(uint8_t(fork[6])) << 8 | uint8_t(fork[7]);
    const std::size_t types = map + 28 + 2;
    fork[types + 8 + 6] = fork[types + 6];
    fork[types + 8 + 7] = fork[types + 7];
    EXPECT_FALSE(rsrc::ParseResourceFork(fork, read));
}

TEST(ResourceForkTest, MapsBeyondTheirOffsetsAreRefusedAndFailuresLeaveNothingBehind) {
    // Distinct types take map space fastest: 3,275 still fit the 16-bit offsets, 3,276 do not.
    std::vector<ForkResource> many;
    for (int i = 0; i < 3276; ++i)
        many.push_back({FourCC("T000") + ResType(i), 1, 0, true, std::to_string(i), "d"});
    std::vector<ForkResource> read;
    ASSERT_TRUE(rsrc::ParseResourceFork(
        rsrc::BuildResourceFork(std::vector<ForkResource>(many.begin(), many.end() - 1)), read));
    EXPECT_EQ(read.back().name, "3274");
    EXPECT_TRUE(rsrc::BuildResourceFork(many).empty());

    stravel::testing::PrivateFolders folders;
    const std::filesystem::path path = folders.Work() / "file";
    stravel::testing::WriteFileBytes(path, "data");
    FSRef file;
    ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &file, nullptr), noErr);
    ASSERT_EQ(rsrc::WriteForkResources(file, true, {many[0]}), noErr);
    EXPECT_EQ(rsrc::WriteForkResources(file, true, many), paramErr);
    ASSERT_EQ(rsrc::ReadForkResources(file, true, read), noErr);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].name, "0");

    // A map whose second type is damaged hands out nothing, not the first type's resources.
    std::string fork = rsrc::BuildResourceFork({many[0], many[1]});
    const std::size_t map = std::size_t(uint8_t(fork[6])) << 8 | uint8_t(fork[7]);
    fork[map + 28 + 2 + 8 + 6] = char(0xFF);
    EXPECT_FALSE(rsrc::ParseResourceFork(fork, read));
    EXPECT_TRUE(read.empty());
}

} // namespace
