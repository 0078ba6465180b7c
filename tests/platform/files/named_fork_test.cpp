#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>

#include "platform/files/fs_attributes.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/bounded_run.h"
#include "tests/support/memory_file.h"
#include "tests/support/private_folders.h"

// Listings of attributes, counted by a stand-in that passes each call on: each listing is one
// call. It can answer as a file system that keeps no attributes.
std::atomic<int> gListings{0};
std::atomic<bool> gNoAttributes{false};

extern "C" ssize_t listxattr(const char* path, char* list, size_t size) noexcept {
    using Call = ssize_t (*)(const char*, char*, size_t);
    static const Call next = reinterpret_cast<Call>(dlsym(RTLD_NEXT, "listxattr"));
    ++gListings;
    if (gNoAttributes) {
        errno = ENOTSUP;
        return -1;
    }
    return next(path, list, size);
}

// Reads of attributes, passed on by a stand-in that can make one value grow by 256 bytes each
// time its size is asked, just after the answer: whoever then offers room for that size meets
// ERANGE.
std::atomic<const char*> gGrowing{nullptr};
std::atomic<int> gSizesAsked{0};

extern "C" ssize_t getxattr(const char* path, const char* name, void* value, size_t size) noexcept {
    using Call = ssize_t (*)(const char*, const char*, void*, size_t);
    static const Call next = reinterpret_cast<Call>(dlsym(RTLD_NEXT, "getxattr"));
    const char* growing = gGrowing;
    const ssize_t got = next(path, name, value, size);
    if (size == 0 && growing && std::strcmp(name, growing) == 0 && got >= 0) {
        ++gSizesAsked;
        const std::string longer(std::size_t(got) + 256, 'g');
        setxattr(path, name, longer.data(), longer.size(), 0);
    }
    return got;
}

namespace {

using namespace tbx;
using stravel::testing::AllocationMeter;
using stravel::testing::MemoryFile;
using namespace std::string_literals;
namespace fs = std::filesystem;

FSRef RefOf(const fs::path& path) {
    FSRef ref;
    EXPECT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &ref, nullptr), noErr);
    return ref;
}

// What getfattr reads, or nothing when the attribute is absent.
std::optional<std::string> Attribute(const fs::path& file, const std::string& name) {
    const auto result =
        stravel::testing::RunTool({"getfattr", "--only-values", "-n", name, file.string()});
    return result.exitCode == 0 ? std::optional(result.out) : std::nullopt;
}

OSErr Write(const FSRef& ref, const std::u16string& fork, std::size_t at,
            const std::string& bytes) {
    SInt16 refNum = 0;
    if (OSErr error = FSOpenFork(&ref, fork.size(), fork.data(), fsRdWrPerm, &refNum))
        return error;
    const OSErr error =
        FSWriteFork(refNum, fsFromStart, SInt64(at), bytes.size(), bytes.data(), nullptr);
    FSCloseFork(refNum);
    return error;
}

// The user attributes of a file by name, each value in getfattr's hexadecimal.
std::map<std::string, std::string> UserAttributes(const fs::path& file) {
    const auto dump = stravel::testing::RunTool(
        {"getfattr", "--absolute-names", "-d", "-e", "hex", "-m", "-", file.string()});
    EXPECT_EQ(dump.exitCode, 0) << dump.err;
    std::map<std::string, std::string> attributes;
    std::istringstream lines(dump.out);
    for (std::string line; std::getline(lines, line);)
        if (const auto equals = line.rfind('='); line.starts_with("user.") && equals != line.npos)
            attributes[line.substr(0, equals)] = line.substr(equals + 1);
    return attributes;
}

std::string Hex(const std::string& bytes) {
    std::string hex = "0x";
    for (const unsigned char c : bytes)
        hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
    return hex;
}

std::vector<std::u16string> ForkNames(const FSRef& ref) {
    std::vector<std::u16string> names;
    CatPositionRec position;
    HFSUniStr255 name;
    while (FSIterateForks(&ref, &position, &name, nullptr, nullptr) == noErr)
        names.emplace_back(reinterpret_cast<const char16_t*>(name.unicode), name.length);
    return names;
}

// A file holding the empty attributes named; false where the file system holds none.
bool MakeAttributedFile(const fs::path& file, std::initializer_list<const char*> names = {}) {
    stravel::testing::WriteFileBytes(file, "data");
    if (setxattr(file.c_str(), "user.probe", "", 0, 0) != 0 ||
        removexattr(file.c_str(), "user.probe") != 0)
        return false;
    for (const char* name : names)
        if (setxattr(file.c_str(), name, "", 0, 0) != 0)
            return false;
    return true;
}

// One step of a walk: its result and the fork's name.
std::pair<OSErr, std::u16string> Step(const FSRef& ref, CatPositionRec& position) {
    HFSUniStr255 name;
    const OSErr error = FSIterateForks(&ref, &position, &name, nullptr, nullptr);
    return {error,
            error ? u""
                  : std::u16string(reinterpret_cast<const char16_t*>(name.unicode), name.length)};
}

// How a walk ended and the names it gave.
struct WalkResult {
    OSErr end = noErr;
    std::vector<std::u16string> names;
};

// One step of a walk not ended yet, its result kept; false when the walk has ended.
bool StepWalk(const FSRef& ref, CatPositionRec& position, WalkResult& walk) {
    auto [error, name] = Step(ref, position);
    if (error)
        walk.end = error;
    else
        walk.names.push_back(std::move(name));
    return !error;
}

// Steps each walk not ended yet (through the file at its index, from its record) in turn until
// all have ended; `between`, when given, is called after every step.
void StepInTurn(const std::vector<FSRef>& files, std::vector<CatPositionRec>& positions,
                std::vector<WalkResult>& walks, const std::function<void()>& between = {}) {
    for (bool left = true; left;) {
        left = false;
        for (std::size_t w = 0; w < walks.size(); ++w) {
            if (walks[w].end != noErr)
                continue;
            left = StepWalk(files[w], positions[w], walks[w]) || left;
            if (between)
                between();
        }
    }
}

// `each` walks of every file, stepped in turn until all have ended.
std::vector<WalkResult> WalkInTurn(const std::vector<FSRef>& refs, int each,
                                   const std::function<void()>& between = {}) {
    std::vector<FSRef> files;
    for (int w = 0; w < each; ++w)
        files.insert(files.end(), refs.begin(), refs.end());
    std::vector<CatPositionRec> positions(files.size());
    std::vector<WalkResult> walks(files.size());
    StepInTurn(files, positions, walks, between);
    return walks;
}

// Changes to a file of `lasting` forks: each step adds a fork named after a lasting one
// ("f0123-7") until there are 512, then removes them, renaming one (made anew under another
// name, the old one removed) on the way; now and then a new file that holds the same lasting
// forks takes its place.
class ForkChurn {
public:
    ForkChurn(fs::path file, int lasting) : _file(std::move(file)), _lasting(lasting) {
        _random.seed(unsigned(lasting));
    }
    void Step() {
        _growing = _made.empty() || (_growing && _made.size() < 512);
        if (_growing)
            Make();
        else
            Remove();
        if (!_made.empty() && Make())
            Remove();
        if (++_steps % 4096 == 0) {
            const fs::path next = _file.string() + ".next";
            stravel::testing::WriteFileBytes(next, "data");
            for (int i = 0; i < _lasting; ++i)
                setxattr(next.c_str(), MemoryFile::ForkAttribute(i).c_str(), "x", 1, 0);
            fs::rename(next, _file);
            _made.clear();
        }
    }

private:
    bool Make() {
        char name[32];
        std::snprintf(name, sizeof name, "user.f%04u-%u", unsigned(_random() % unsigned(_lasting)),
                      _steps);
        _made.emplace_back(name);
        return setxattr(_file.c_str(), name, "c", 1, 0) == 0;
    }
    void Remove() {
        removexattr(_file.c_str(), _made.front().c_str());
        _made.pop_front();
    }

    fs::path _file;
    int _lasting;
    std::mt19937 _random;
    std::deque<std::string> _made;
    bool _growing = true;
    unsigned _steps = 0;
};

TEST(NamedForkTest, NamedForksAreUserAttributesBesideTheFinderInformation) {
    STRAVEL_REQUIRE_TOOL("getfattr");
    stravel::testing::PrivateFolders folders;
    const fs::path file = folders.Work() / "movie";
    stravel::testing::WriteFileBytes(file, "data");
    const FSRef ref = RefOf(file);
    FSCatalogInfo info;
    FileInfo finder;
    finder.fileType = FourCC("SWFL");
    SetFileInfo(info, finder);
    ASSERT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info), noErr);
    if (!Attribute(file, "user.com.apple.FinderInfo"))
        GTEST_SKIP() << "no user attributes on this file system";

    const std::u16string thumb = u"thumbnail", accented = u"Vorschau \u00e9";
    ASSERT_EQ(Write(ref, thumb, 0, "abcdef"), noErr);
    ASSERT_EQ(Write(ref, thumb, 4, "XYZ"), noErr);
    ASSERT_EQ(Write(ref, accented, 0, "v"), noErr);
    EXPECT_EQ(Attribute(file, "user.thumbnail"), "abcdXYZ");
    EXPECT_EQ(Attribute(file, "user.Vorschau \xc3\xa9"), "v");
    EXPECT_EQ(ForkNames(ref), (std::vector<std::u16string>{u"", accented, thumb}));

    SInt16 fork = 0;
    ASSERT_EQ(FSOpenFork(&ref, thumb.size(), thumb.data(), fsRdWrPerm, &fork), noErr);
    char bytes[8] = {};
    ByteCount got = 0;
    EXPECT_EQ(FSReadFork(fork, fsFromStart, 5, 8, bytes, &got), eofErr);
    EXPECT_EQ(std::string(bytes, got), "YZ");
    EXPECT_EQ(FSSetForkSize(fork, fsFromStart, 2), noErr);
    SInt64 size = 0;
    EXPECT_EQ(FSGetForkSize(fork, &size), noErr);
    EXPECT_EQ(size, 2);
    FSCloseFork(fork);
    EXPECT_EQ(Attribute(file, "user.thumbnail"), "ab");

    ASSERT_EQ(FSDeleteFork(&ref, accented.size(), accented.data()), noErr);
    EXPECT_FALSE(Attribute(file, "user.Vorschau \xc3\xa9"));
    EXPECT_EQ(FSDeleteFork(&ref, accented.size(), accented.data()), errFSForkNotFound);
    EXPECT_EQ(FSOpenFork(&ref, accented.size(), accented.data(), fsRdPerm, &fork),
              errFSForkNotFound);
    const std::u16string finderInfo = u"com.apple.FinderInfo";
    EXPECT_EQ(FSOpenFork(&ref, finderInfo.size(), finderInfo.data(), fsRdPerm, &fork),
              errFSBadForkName);

    // Grown past what the file system lets an attribute hold, the fork keeps its last bytes.
    std::string kept = "ab";
    OSErr error = noErr;
    for (char c = 'a'; c < 'a' + 20 && !error; ++c) {
        const std::string piece(4096, c);
        error = Write(ref, thumb, kept.size(), piece);
        if (!error)
            kept += piece;
    }
    EXPECT_EQ(error, fileBoundsErr);
    EXPECT_EQ(Attribute(file, "user.thumbnail"), kept);
}

// Every name either reaches an attribute of its own, its name in UTF-8 (a byte escape its byte,
// as listings give it back), or is refused: no two names share a fork.
TEST(NamedForkTest, EachForkNameHasAnAttributeOfItsOwnOrNone) {
    STRAVEL_REQUIRE_TOOL("getfattr");
    stravel::testing::PrivateFolders folders;
    const fs::path file = folders.Work() / "movie";
    if (!MakeAttributedFile(file))
        GTEST_SKIP() << "no user attributes on this file system";
    const FSRef ref = RefOf(file);
    auto repeat = [](auto piece, int times) {
        decltype(piece) out;
        while (times--)
            out += piece;
        return out;
    };
    const std::u16string clapper = u"\U0001F3AC";
    const std::string clapperUtf8 = "\xF0\x9F\x8E\xAC";
    struct Case {
        std::u16string name;
        std::optional<std::string> attribute; // none: refused
    };
    const Case cases[] = {
        {u"\uFFFD", "\xEF\xBF\xBD"},
        {u"\xD800"s, std::nullopt},
        {u"\xDBFF"s, std::nullopt},
        {u"a\xD800z"s, std::nullopt},
        {u"\u00E9", "\xC3\xA9"},
        {u"\xDCC3\xDCA9"s, std::nullopt},
        {u"\xDCC3"s, "\xC3"},
        {u"\xDCC3("s, "\xC3("},
        {u"\xDC41"s, std::nullopt},
        {u"\xDCF0\xDC9F\xDC8E\xDCAC"s, std::nullopt},
        {clapper, clapperUtf8},
        {u"\xDFAC\xD83C"s, std::nullopt},
        {repeat(clapper, 62), repeat(clapperUtf8, 62)},
        {repeat(clapper, 63), std::nullopt},
        {std::u16string(250, u'x'), std::string(250, 'x')},
        {std::u16string(251, u'x'), std::nullopt},
        {std::u16string(300, u'x'), std::nullopt},
        {u"a\0z"s, std::nullopt},
        {u"com.apple.FinderInfo", std::nullopt},
    };
    std::map<std::string, std::string> expected;
    std::map<std::string, std::u16string> listed;
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(row);
        const std::string value = "value " + std::to_string(row++);
        EXPECT_EQ(Write(ref, c.name, 0, value),
                  c.attribute ? OSErr(noErr) : OSErr(errFSBadForkName));
        if (!c.attribute) {
            SInt16 fork = 0;
            EXPECT_EQ(FSOpenFork(&ref, c.name.size(), c.name.data(), fsRdPerm, &fork),
                      errFSBadForkName);
            EXPECT_EQ(FSDeleteFork(&ref, c.name.size(), c.name.data()), errFSBadForkName);
            continue;
        }
        const std::string attribute = "user." + *c.attribute;
        expected[attribute] = Hex(value);
        listed[attribute] = c.name;
    }
    // Another program's attribute of the resource fork's name is no named fork: its name opens
    // the resource fork.
    ASSERT_EQ(setxattr(file.c_str(), "user.RESOURCE_FORK", "x", 1, 0), 0);
    expected["user.RESOURCE_FORK"] = Hex("x");
    EXPECT_EQ(UserAttributes(file), expected);
    std::vector<std::u16string> names{u""};
    for (const auto& [attribute, name] : listed)
        names.push_back(name);
    EXPECT_EQ(ForkNames(ref), names);
    EXPECT_EQ(stravel::testing::ReadFileBytes(file), "data");
}

// A walk lists the file's attributes once, not once for each fork: thousands of forks are
// counted within a second. Only a memory file system holds that many (64 KiB of names).
TEST(NamedForkTest, AWalkThroughThousandsOfForksListsThemOnce) {
    constexpr int kForks = 5900;
    MemoryFile memory(kForks);
    if (!memory.error.empty())
        GTEST_SKIP() << memory.error;
    const fs::path& file = memory.file;
    const fs::path other = memory.folder / "other";
    stravel::testing::WriteFileBytes(other, "other");
    ASSERT_EQ(setxattr(other.c_str(), "user.a", "", 0, 0), 0);
    ASSERT_EQ(setxattr(other.c_str(), "user.b", "", 0, 0), 0);
    const FSRef ref = RefOf(file), otherRef = RefOf(other);
    EXPECT_TRUE(stravel::testing::FinishesWithin(1, 64 << 20, [&] {
        CatPositionRec position;
        int forks = 0;
        gListings = 0;
        while (FSIterateForks(&ref, &position, nullptr, nullptr, nullptr) == noErr)
            ++forks;
        return forks == kForks + 1 && gListings == 1;
    }));

    // A record carried to another file lists that file, wherever the first walk was.
    CatPositionRec position;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(FSIterateForks(&ref, &position, nullptr, nullptr, nullptr), noErr);
    position.initialize = 3;
    HFSUniStr255 name;
    ASSERT_EQ(FSIterateForks(&otherRef, &position, &name, nullptr, nullptr), noErr);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(name.unicode), name.length), u"b");
    EXPECT_EQ(FSIterateForks(&otherRef, &position, &name, nullptr, nullptr), errFSNoMoreItems);
}

// The walks of one file share its listing, however many step in turn: at most one listing each
// while the file's forks have just changed, one for them all once its times vouch for its forks,
// and another as soon as a fork is made or removed, through the fork calls or by anyone else.
TEST(NamedForkTest, WalksInTurnShareOneListingUntilTheForksChange) {
    constexpr int kForks = 1000, kWalks = 64;
    MemoryFile memory(kForks);
    if (!memory.error.empty())
        GTEST_SKIP() << memory.error;
    const FSRef ref = RefOf(memory.file);
    std::vector<std::u16string> forks{u""};
    for (int i = 0; i < kForks; ++i) {
        const std::string attribute = MemoryFile::ForkAttribute(i);
        forks.emplace_back(attribute.begin() + 5, attribute.end());
    }
    // Whether every walk gave the file's forks in order, and how many listings were made.
    auto inTurn = [&](int walks, int& listings) {
        gListings = 0;
        const std::vector<WalkResult> given = WalkInTurn({ref}, walks);
        listings = gListings;
        return std::all_of(given.begin(), given.end(), [&](const WalkResult& walk) {
            return walk.end == errFSNoMoreItems && walk.names == forks;
        });
    };
    ASSERT_TRUE(stravel::testing::FinishesWithin(20, 256 << 20, [&] {
        int listings = 0;
        return inTurn(kWalks, listings) && listings <= kWalks;
    }));

    std::set<std::u16string> named(forks.begin() + 1, forks.end());
    const struct {
        const char* what;
        std::u16string name;
        bool made, ours;
    } changes[] = {
        {"made through the fork calls", u"f0500-made", true, true},
        {"removed through the fork calls", u"f0500-made", false, true},
        {"made by another program", u"f0700-made", true, false},
        {"removed by another program", u"f0000", false, false},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        // Past any clock tick, a listing vouches for the forks until they change.
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        int listings = 0;
        ASSERT_TRUE(inTurn(1, listings));
        ASSERT_TRUE(inTurn(17, listings));
        EXPECT_EQ(listings, 0);
        const std::string attribute = "user." + std::string(c.name.begin(), c.name.end());
        if (c.ours && c.made)
            ASSERT_EQ(Write(ref, c.name, 0, "m"), noErr);
        else if (c.ours)
            ASSERT_EQ(FSDeleteFork(&ref, c.name.size(), c.name.data()), noErr);
        else if (c.made)
            ASSERT_EQ(setxattr(memory.file.c_str(), attribute.c_str(), "", 0, 0), 0);
        else
            ASSERT_EQ(removexattr(memory.file.c_str(), attribute.c_str()), 0);
        if (c.made)
            named.insert(c.name);
        else
            named.erase(c.name);
        forks.assign({u""});
        forks.insert(forks.end(), named.begin(), named.end());
        EXPECT_TRUE(inTurn(17, listings));
        EXPECT_GE(listings, 1);
        EXPECT_LE(listings, 17);
    }
}

// Walks of many files stepped in turn, their listings together within 16 MiB or beyond; many
// walks of one file with forks made and removed between any two steps; walks of one file from
// eight threads while a ninth changes its forks and its place; 400 walks of a file of 56 KiB of
// fork names left open, each begun after a fork was added; and slow walks of a
// changing file while another thread begins walks of a big changing file, and of the walked
// file through a hard link, taking its listing's room. Every walk ends cleanly and gives, in
// order, each fork that lasts throughout exactly once and nothing that was never a fork, however
// many walks share the listings kept. Left alone, each file is listed once for all the steps of
// its walk; listings beyond 16 MiB let go of those used least lately, whose walks list again.
TEST(NamedForkTest, WalksGiveEachLastingForkOnceInOrder) {
    enum Changes { kNone, kBetweenSteps, kFromAThread, kBeforeEachLeftOpen, kCrowded };
    const struct {
        int files, forks;
        std::size_t width; // of each lasting fork's attribute name, when longer than "user.f0000"
        int threads, each; // walks of each file in each thread, all stepped in turn
        Changes changes;
        bool throughALink = false; // the crowd walks the first file through a hard link too
    } cases[] = {
        {17, 600, 0, 1, 1, kNone},
        {64, 150, 0, 1, 1, kNone},
        {300, 300, 200, 1, 1, kNone},
        {1, 60, 0, 1, 17, kBetweenSteps},
        {1, 60, 0, 1, 40, kBetweenSteps},
        {1, 1000, 0, 8, 64, kFromAThread},
        // The first file's walks are begun and left one by one; then each other file's walk
        // begins, so that the first file's latest listing is no longer kept for walks to come.
        {17, 400, 140, 1, 400, kBeforeEachLeftOpen},
        {1, 8, 0, 1, 1, kCrowded},
        {1, 8, 0, 1, 1, kCrowded, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.files << " files, " << c.threads << " threads"
                                          << (c.throughALink ? ", a link" : ""));
        std::vector<std::unique_ptr<MemoryFile>> files;
        std::vector<FSRef> refs;
        for (int f = 0; f < c.files; ++f) {
            files.push_back(std::make_unique<MemoryFile>(c.forks, c.width));
            if (!files.back()->error.empty())
                GTEST_SKIP() << files.back()->error;
            refs.push_back(RefOf(files.back()->file));
        }
        std::set<std::u16string> lasting, stems;
        for (int i = 0; i < c.forks; ++i) {
            const std::string attribute = MemoryFile::ForkAttribute(i, c.width);
            lasting.emplace(attribute.begin() + 5, attribute.end());
            stems.emplace(attribute.begin() + 5, attribute.begin() + 10);
        }
        // Whether the files' listings together take more than 16 MiB.
        const bool crowded =
            std::size_t(c.files) * std::size_t(c.forks) * (std::max<std::size_t>(c.width, 10) + 1) >
            std::size_t(16) << 20;
        ForkChurn churn(files[0]->file, c.forks);
        // A fork made beside a lasting one, the one made before it removed.
        std::string made;
        auto change = [&made, n = 0](const fs::path& file) mutable {
            const std::string previous =
                std::exchange(made, MemoryFile::ForkAttribute(n % 8) + "-" + std::to_string(n));
            ++n;
            return setxattr(file.c_str(), made.c_str(), "", 0, 0) == 0 &&
                   (previous.empty() || removexattr(file.c_str(), previous.c_str()) == 0);
        };
        std::atomic<bool> stop{false};
        std::atomic<int> crowdWalks{0};
        std::thread changer;
        std::unique_ptr<MemoryFile> big;
        if (c.changes == kFromAThread)
            changer = std::thread([&] {
                while (!stop)
                    churn.Step();
            });
        if (c.changes == kCrowded) {
            // Walks of a big file begun and left, each after a change so that each takes a
            // listing of 60 KiB, and of the first file through its other name.
            big = std::make_unique<MemoryFile>(240, 250);
            ASSERT_TRUE(big->error.empty()) << big->error;
            const fs::path link = files[0]->folder / "link";
            fs::create_hard_link(files[0]->file, link);
            changer = std::thread([&, bigRef = RefOf(big->file), linkRef = RefOf(link)] {
                std::string bigMade;
                for (int n = 0; !stop; ++n) {
                    const std::string previous =
                        std::exchange(bigMade, "user.g" + std::to_string(n));
                    setxattr(big->file.c_str(), bigMade.c_str(), "", 0, 0);
                    removexattr(big->file.c_str(), previous.c_str());
                    for (const FSRef* ref : {&bigRef, c.throughALink ? &linkRef : nullptr}) {
                        CatPositionRec position;
                        for (int step = 0; ref && step < 3; ++step)
                            FSIterateForks(ref, &position, nullptr, nullptr, nullptr);
                    }
                    ++crowdWalks;
                }
            });
        }
        std::function<void()> between;
        if (c.changes == kBetweenSteps)
            between = [&] { churn.Step(); };
        if (c.changes == kCrowded)
            between = [&] {
                EXPECT_TRUE(change(files[0]->file));
                // Long enough for the crowd to take more than 16 MiB of listings.
                for (const int until = crowdWalks + 300; crowdWalks < until;)
                    std::this_thread::yield();
            };
        gListings = 0;
        std::vector<std::vector<WalkResult>> results(std::size_t(c.threads));
        std::optional<std::size_t> heldOpen; // by the walks left open, where it can be counted
        if (c.changes == kBeforeEachLeftOpen) {
            std::vector<FSRef> walked;
            std::vector<CatPositionRec> positions;
            std::vector<WalkResult>& walks = results[0];
            auto begin = [&](const FSRef& ref, int steps) {
                walked.push_back(ref);
                positions.emplace_back();
                walks.emplace_back();
                for (int i = 0; i < steps; ++i)
                    StepWalk(ref, positions.back(), walks.back());
            };
            const AllocationMeter meter;
            for (int w = 0; w < c.each; ++w) {
                ASSERT_TRUE(change(files[0]->file));
                begin(refs[0], 2);
            }
            for (int f = 1; f < c.files; ++f)
                begin(refs[std::size_t(f)], 2);
            if (AllocationMeter::Available())
                heldOpen = meter.Held();
            StepInTurn(walked, positions, walks);
        } else {
            std::vector<std::thread> walkers;
            for (auto& result : results)
                walkers.emplace_back([&refs, &between, each = c.each, out = &result] {
                    *out = WalkInTurn(refs, each, between);
                });
            for (std::thread& walker : walkers)
                walker.join();
        }
        const int listings = gListings;
        stop = true;
        if (changer.joinable())
            changer.join();

        int failed = 0, unordered = 0, missed = 0, invented = 0;
        for (const auto& walks : results)
            for (const WalkResult& walk : walks) {
                failed += walk.end != errFSNoMoreItems;
                const auto& names = walk.names;
                if (names.empty() || names.front() != u"") {
                    ++missed;
                    continue;
                }
                unordered += std::adjacent_find(names.begin() + 1, names.end(),
                                                std::greater_equal<>()) != names.end();
                int found = 0;
                for (auto name = names.begin() + 1; name != names.end(); ++name) {
                    const bool made = c.changes != kNone && name->size() > 6 &&
                                      (*name)[5] == u'-' && stems.count(name->substr(0, 5));
                    found += lasting.count(*name) != 0;
                    invented += !made && !lasting.count(*name);
                }
                missed += found != c.forks;
            }
        EXPECT_EQ(failed, 0);
        EXPECT_EQ(unordered, 0);
        EXPECT_EQ(missed, 0);
        EXPECT_EQ(invented, 0);
        if (c.changes == kNone && !crowded) {
            EXPECT_LE(listings, c.files);
        }
        if (c.changes == kNone && crowded) {
            // Those let go listed again, each time for many steps.
            EXPECT_GT(listings, c.files);
            EXPECT_LT(listings, c.files + c.files * c.forks / 16);
        }
        if (c.changes == kBeforeEachLeftOpen) {
            // Each walk listed its file once as it began, the first file's as it was then; those
            // whose listing went to make room listed again, each time for many steps.
            const int begun = c.each + c.files - 1;
            EXPECT_GT(listings, begun);
            EXPECT_LT(listings, begun + c.each * c.forks / 16);
            if (heldOpen) {
                EXPECT_LE(*heldOpen, std::size_t(24) << 20);
            }
        }
    }
}

// A walk that can no longer resume exactly fails rather than guess: a copy of a record whose walk
// has moved on, and a walk pushed out by thousands of unfinished later ones. A finished walk
// stays finished.
TEST(NamedForkTest, AWalkThatCannotResumeExactlyFailsClearly) {
    stravel::testing::PrivateFolders folders;
    const fs::path file = folders.Work() / "movie";
    if (!MakeAttributedFile(file, {"user.a", "user.b", "user.c"}))
        GTEST_SKIP() << "no user attributes on this file system";
    const FSRef ref = RefOf(file);
    using Result = std::pair<OSErr, std::u16string>;
    CatPositionRec first;
    Step(ref, first);
    ASSERT_EQ(Step(ref, first), Result(noErr, u"a"));
    CatPositionRec copy = first;
    EXPECT_EQ(Step(ref, first), Result(noErr, u"b"));
    EXPECT_EQ(Step(ref, copy), Result(errFSIteratorNotFound, u""));

    std::vector<CatPositionRec> later(5000);
    for (CatPositionRec& position : later) {
        Step(ref, position);
        ASSERT_EQ(Step(ref, position), Result(noErr, u"a"));
    }
    EXPECT_EQ(Step(ref, first), Result(errFSIteratorNotFound, u""));
    CatPositionRec& last = later.back();
    EXPECT_EQ(Step(ref, last), Result(noErr, u"b"));
    EXPECT_EQ(Step(ref, last), Result(noErr, u"c"));
    EXPECT_EQ(Step(ref, last), Result(errFSNoMoreItems, u""));
    ASSERT_EQ(removexattr(file.c_str(), "user.a"), 0);
    EXPECT_EQ(Step(ref, last), Result(errFSNoMoreItems, u""));
}

// A value that grows each time its size is asked, as a value another program keeps rewriting
// may: every size the reader asks is outgrown at once, and the value is still read whole, and
// copied whole, as getfattr reads it once it stops growing.
TEST(NamedForkTest, AValueThatOutgrowsEverySizeAskedIsReadWhole) {
    STRAVEL_REQUIRE_TOOL("getfattr");
    stravel::testing::PrivateFolders folders;
    const fs::path file = folders.Work() / "movie", copy = folders.Work() / "copy";
    if (!MakeAttributedFile(file, {"user.a", "user.z"}))
        GTEST_SKIP() << "no user attributes on this file system";
    stravel::testing::WriteFileBytes(copy, "");
    const std::string start(1100, 's'); // more than a first read offers
    ASSERT_EQ(setxattr(file.c_str(), "user.growing", start.data(), start.size(), 0), 0);
    std::string value;
    gSizesAsked = 0;
    gGrowing = "user.growing";
    const bool read = FSReadAttribute(file.string(), "user.growing", value);
    gGrowing = nullptr;
    ASSERT_TRUE(read) << std::strerror(errno);
    EXPECT_GE(gSizesAsked, 2);
    EXPECT_GT(value.size(), start.size() + 256);
    EXPECT_EQ(value, Attribute(file, "user.growing"));

    const int to = open(copy.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(to, 0);
    gGrowing = "user.growing";
    const bool copied = FSCopyAttributes(file.string(), to, FSAnyAttribute);
    gGrowing = nullptr;
    close(to);
    ASSERT_TRUE(copied) << std::strerror(errno);
    EXPECT_EQ(UserAttributes(copy), UserAttributes(file));
    EXPECT_EQ(UserAttributes(copy).count("user.growing"), 1u);
}

// A copy takes its folder's default access list as it is made; a source without one, even on a
// file system that keeps no attributes, leaves the copy without one, as getfacl reads it.
TEST(NamedForkTest, ACopyKeepsNoAccessListItsSourceLacks) {
    STRAVEL_REQUIRE_TOOL("getfacl");
    STRAVEL_REQUIRE_TOOL("setfacl");
    stravel::testing::PrivateFolders folders;
    const fs::path file = folders.Work() / "movie", shared = folders.Work() / "shared";
    stravel::testing::WriteFileBytes(file, "");
    fs::create_directory(shared);
    if (stravel::testing::RunTool({"setfacl", "-d", "-m", "u:1001:r", shared.string()}).exitCode)
        GTEST_SKIP() << "no access lists on this file system";
    const auto list = [](const fs::path& item) {
        return stravel::testing::RunTool({"getfacl", "--omit-header", "--numeric", item.string()})
            .out;
    };
    for (const bool sourceKeepsAttributes : {true, false}) {
        SCOPED_TRACE(sourceKeepsAttributes);
        const fs::path copy = shared / "copy";
        const int to = open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0640);
        ASSERT_GE(to, 0);
        EXPECT_NE(list(copy).find("user:1001:r"), std::string::npos);
        gNoAttributes = !sourceKeepsAttributes;
        const bool copied = FSCopyAttributes(file.string(), to, FSAnyAttribute);
        gNoAttributes = false;
        close(to);
        EXPECT_TRUE(copied) << std::strerror(errno);
        EXPECT_EQ(list(copy).find("user:1001"), std::string::npos) << list(copy);
        EXPECT_EQ(list(copy).find("mask::"), std::string::npos) << list(copy);
        fs::remove(copy);
    }
}

TEST(NamedForkTest, APipeIsNoFileAndIsNeverWaitedOn) {
    stravel::testing::PrivateFolders folders;
    const fs::path pipe = folders.Work() / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const FSRef ref = RefOf(pipe);
    EXPECT_TRUE(stravel::testing::FinishesWithin(1, 64 << 20, [&] {
        SInt16 fork = 0;
        return FSOpenFork(&ref, 0, nullptr, fsRdPerm, &fork) == notAFileErr &&
               FSOpenFork(&ref, 0, nullptr, fsRdWrPerm, &fork) == notAFileErr;
    }));
}

} // namespace
