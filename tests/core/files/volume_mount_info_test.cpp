// Mounting information of a volume, checked against findmnt's reading of the mount table, and
// mounting from it in a private mount namespace.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/files/volume_utilities.h"
#include "platform/files/fs_catalog.h"
#include "tests/support/tools.h"

namespace {

using namespace tbx;
namespace fs = std::filesystem;

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

// The volume's mounting information, its fields compared with findmnt's reading of the mount
// table for `path`; the record goes to `out`.
void ExpectRecordAsFindmntShows(const fs::path& path, std::vector<char>& out) {
    FSRef folder;
    ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &folder, nullptr), noErr);
    FSVolumeRefNum volume = 0;
    ASSERT_EQ(FSGetVRefNum(&folder, &volume), noErr) << path;
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
        stravel::testing::RunTool({"findmnt", "-n", "-v", "-P", "-T", path.string(), "-o",
                                   "FSROOT,TARGET,VFS-OPTIONS,FSTYPE,SOURCE,FS-OPTIONS"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    auto theirs = Pairs(shown.out);
    EXPECT_EQ(fields,
              (std::vector<std::string>{theirs["FSROOT"], theirs["TARGET"], theirs["VFS-OPTIONS"],
                                        theirs["FSTYPE"], theirs["SOURCE"], theirs["FS-OPTIONS"]}));
    out = record;
}

TEST(VolumeMountInfo, DescribesTheFolderMountAsFindmntDoes) {
    STRAVEL_REQUIRE_TOOL("findmnt");
    stravel::testing::TempDir dir;
    std::vector<char> record;
    ExpectRecordAsFindmntShows(dir.Path(), record);
    UInt16 size = 0;
    EXPECT_EQ(FSGetVolMountInfoSize(-32000, &size), nsvErr);
    EXPECT_EQ(FSGetVolMountInfo(-1, nullptr, 100), paramErr);
}

// Runs `body` in a child process with user and mount namespaces of its own whose mounts are
// all made private first, so that nothing it mounts or unmounts reaches the machine's. The
// child's failures are reported as it meets them; its exit status says whether there were any.
void InPrivateMountNamespace(const std::function<void()>& body) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            _exit(77);
        const auto write = [](const char* file, const std::string& text) {
            std::ofstream(file) << text;
        };
        write("/proc/self/setgroups", "deny");
        write("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1");
        write("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1");
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            _exit(78);
        body();
        std::fflush(nullptr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    STRAVEL_REQUIRE(WEXITSTATUS(status) != 77, "user namespaces are not available");
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(VolumeMountInfo, MountsAgainWhatItDescribedAndLongMountLinesAreRead) {
    STRAVEL_REQUIRE_TOOL("findmnt");
    stravel::testing::TempDir dir;
    const fs::path point = dir / "volume", longPoint = dir / "long";
    fs::create_directory(point);
    fs::create_directory(longPoint);
    InPrivateMountNamespace([&] {
        ASSERT_EQ(mount("stravel test", point.c_str(), "tmpfs", MS_NOSUID | MS_NOATIME,
                        "size=1m,mode=0750,nr_inodes=64"),
                  0);
        // A source this long makes the mount table's line longer than a page.
        ASSERT_EQ(mount(std::string(4090, 's').c_str(), longPoint.c_str(), "tmpfs", 0, nullptr), 0);
        std::vector<char> record, again;
        ExpectRecordAsFindmntShows(longPoint, record);
        ExpectRecordAsFindmntShows(point, record);
        stravel::testing::WriteFileBytes(point / "lost", "x");
        ASSERT_EQ(umount(point.c_str()), 0);

        FSVolumeRefNum volume = 0;
        ASSERT_EQ(FSVolumeMount(record.data(), &volume), noErr);
        EXPECT_FALSE(fs::exists(point / "lost")); // a new file system, not the folder below
        ExpectRecordAsFindmntShows(point, again);
        EXPECT_EQ(again, record);
        HFSUniStr255 name;
        ASSERT_EQ(FSGetVolumeInfo(volume, 0, nullptr, nullptr, &name, nullptr), noErr);
        EXPECT_EQ(std::u16string(name.unicode, name.length), u"volume");

        std::vector<char> bind = record;
        bind[sizeof(VolumeMountInfoHeader)] = 'x'; // the root of a bind mount: "x", not "/"
        EXPECT_EQ(FSVolumeMount(bind.data(), &volume), paramErr);
        // Without the privilege over this mount namespace the kernel refuses.
        ASSERT_EQ(umount(point.c_str()), 0);
        ASSERT_EQ(unshare(CLONE_NEWUSER), 0);
        EXPECT_EQ(FSVolumeMount(record.data(), &volume), afpAccessDenied);
    });
}

} // namespace
