// Mounting information of a volume, checked against findmnt's reading of the mount table.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/files/volume_utilities.h"
#include "platform/files/fs_catalog.h"
#include "tests/support/tools.h"

namespace {

using namespace tbx;

// findmnt -P prints KEY="value" pairs.
std::map<std::string, std::string> Pairs(const std::string& line) {
    std::map<std::string, std::string> pairs;
    for (std::size_t at = 0; (at = line.find_first_not_of(" \n", at)) != std::string::npos;) {
        const std::size_t equals = line.find("=\"", at);
        const std::size_t close = line.find('"', equals + 2);
        if (equals == std::string::npos || close == std::string::npos)
            break;
        pairs[line.substr(at, equals - at)] = line.substr(equals + 2, close - equals - 2);
        at = close + 1;
    }
    return pairs;
}

TEST(VolumeMountInfo, DescribesTheFolderMountAsFindmntDoes) {
    STRAVEL_REQUIRE_TOOL("findmnt");
    stravel::testing::TempDir dir;
    FSRef folder;
    ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(dir.Path().c_str()), &folder, nullptr),
              noErr);
    FSVolumeRefNum volume = 0;
    ASSERT_EQ(FSGetVRefNum(&folder, &volume), noErr);
    UInt16 size = 0;
    ASSERT_EQ(FSGetVolMountInfoSize(volume, &size), noErr);
    ASSERT_GT(size, sizeof(VolumeMountInfoHeader));
    std::vector<char> record(size);
    EXPECT_EQ(FSGetVolMountInfo(volume, record.data(), UInt16(size - 1)), paramErr);
    ASSERT_EQ(FSGetVolMountInfo(volume, record.data(), size), noErr);
    VolumeMountInfoHeader header;
    std::memcpy(&header, record.data(), sizeof header);
    const SInt16 length = header.length; // packed fields are copied out before comparing
    const OSType media = header.media;
    EXPECT_EQ(length, size);
    EXPECT_EQ(media, kLinuxMountMedia);
    EXPECT_EQ(record.back(), '\0');
    std::vector<std::string> fields;
    for (std::size_t at = sizeof header; at < record.size(); at += fields.back().size() + 1)
        fields.emplace_back(record.data() + at);

    const auto shown =
        stravel::testing::RunTool({"findmnt", "-n", "-v", "-P", "-T", dir.Path().string(), "-o",
                                   "FSROOT,TARGET,VFS-OPTIONS,FSTYPE,SOURCE,FS-OPTIONS"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    auto theirs = Pairs(shown.out);
    EXPECT_EQ(fields,
              (std::vector<std::string>{theirs["FSROOT"], theirs["TARGET"], theirs["VFS-OPTIONS"],
                                        theirs["FSTYPE"], theirs["SOURCE"], theirs["FS-OPTIONS"]}));

    EXPECT_EQ(FSGetVolMountInfoSize(-32000, &size), nsvErr);
    EXPECT_EQ(FSGetVolMountInfo(volume, nullptr, size), paramErr);
    EXPECT_EQ(FSVolumeMount(record.data(), &volume), paramErr);
}

} // namespace
