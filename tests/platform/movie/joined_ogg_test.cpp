// Ogg files joined end to end, as `cat` joins them: what opening one reads beside a file of one
// link, and reads across each join after jumps, and with a granule far astray, against ffmpeg's
// decoding in order.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/movie/movie.h"
#include "tests/platform/movie/damaged_media.h"
#include "tests/platform/movie/sound_oracle.h"
#include "tests/support/tools.h"

using namespace soundtest;
using stravel::testing::Make;
using stravel::testing::ReadFileBytes;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

namespace {

// Links of `codec`, each `seconds[i]` long, joined: noise and a tone of each link's own.
std::filesystem::path Joined(const TempDir& dir, const std::string& name,
                             const std::vector<std::string>& codec,
                             const std::vector<double>& seconds) {
    std::string bytes;
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        const std::string d = ":d=" + std::to_string(seconds[i]);
        std::vector<std::string> args = {"-f",
                                         "lavfi",
                                         "-i",
                                         "anoisesrc=r=44100:a=0.2" + d,
                                         "-f",
                                         "lavfi",
                                         "-i",
                                         "sine=r=44100:f=" + std::to_string(300 + 200 * i) + d,
                                         "-filter_complex",
                                         "amerge=inputs=2"};
        args.insert(args.end(), codec.begin(), codec.end());
        const auto link = dir / (std::to_string(i) + "-" + name);
        EXPECT_TRUE(Make(args, link)) << name;
        bytes += ReadFileBytes(link);
    }
    WriteFileBytes(dir / name, bytes);
    return dir / name;
}

} // namespace

// A file of one link opens on a look at a few of its pages; joined links cost one reading of the
// file, and a jump into the last link reads near its place.
TEST(JoinedOgg, OpeningReadsAFileOfOneLinkOnlyWhereItLooks) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    STRAVEL_REQUIRE(BytesRead() >= 0, "the kernel keeps no count of the bytes read");
    TempDir dir;
    const std::vector<std::string> vorbis = {"-c:a", "libvorbis", "-q:a", "8"};
    const auto one = Joined(dir, "one.ogg", vorbis, {150});
    const auto three = Joined(dir, "three.ogg", vorbis, {50, 60, 40});
    auto open = [](const std::filesystem::path& file, int64_t& read) {
        const int64_t before = BytesRead();
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
        if (movie)
            movie->SetTimeScale(44100);
        const int64_t duration = movie ? movie->GetDuration() : 0;
        read = BytesRead() - before;
        return duration;
    };
    int64_t read = 0;
    EXPECT_EQ(open(one, read), DecodedSamples(one));
    EXPECT_LT(read, int64_t(std::filesystem::file_size(one) / 5)) << "one link";
    const int64_t size = int64_t(std::filesystem::file_size(three));
    EXPECT_EQ(open(three, read), DecodedSamples(three));
    EXPECT_LT(read, size + size / 2) << "joined links";
    std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(three.string());
    ASSERT_TRUE(movie);
    movie->SetTimeScale(600);
    tbx::PcmForm form;
    std::vector<uint8_t> pcm;
    ASSERT_TRUE(movie->SetPcmForm(form) && movie->GetDuration() > 149 * 600);
    const int64_t before = BytesRead();
    ASSERT_TRUE(movie->ReadPcm(140 * 600, 300, pcm));
    EXPECT_LT(BytesRead() - before, size / 5) << "a jump into the last link";
}

// After a jump to the far end, reads that begin a little before each join and run across it hold
// what ffmpeg's decoding in order has there, in Vorbis, Opus and FLAC.
TEST(JoinedOgg, ReadsAcrossEachJoinAfterAJumpAsFfmpegDecodes) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const struct {
        const char* name;
        std::vector<std::string> codec;
        int rate;
    } cases[] = {{"vorbis.ogg", {"-ar", "44100", "-c:a", "libvorbis"}, 44100},
                 {"opus.opus", {"-c:a", "libopus"}, 48000},
                 {"flac.oga", {"-ar", "44100", "-c:a", "flac"}, 44100}};
    const std::vector<double> links = {9, 14, 5};
    for (const auto& c : cases) {
        const auto file = Joined(dir, c.name, c.codec, links);
        const std::string reference = Converted(file, 0, 2);
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
        ASSERT_TRUE(movie) << c.name;
        tbx::PcmForm form;
        form.channels = 2;
        ASSERT_TRUE(movie->SetPcmForm(form)) << c.name;
        movie->SetTimeScale(c.rate);
        EXPECT_EQ(std::size_t(movie->GetDuration()) * 4, reference.size()) << c.name;
        for (double join : {links[0], links[0] + links[1]}) {
            std::vector<uint8_t> far, across;
            ASSERT_TRUE(movie->ReadPcm(int32_t(27 * c.rate), c.rate / 2, far)) << c.name;
            const std::size_t at = std::size_t((join - 0.5) * c.rate);
            ASSERT_TRUE(movie->ReadPcm(int32_t(at), c.rate, across)) << c.name;
            EXPECT_TRUE(std::string(across.begin(), across.end()) ==
                        reference.substr(at * 4, std::size_t(c.rate) * 4))
                << c.name << ": across the join at " << join << " s";
        }
    }
}

// A granule far beyond any sound, where the look across a join reads it (it times the first
// packet of the first link's last page), leaves the links declined and the file read as one of a
// single link; amid a link, the links stay placed and a jump past it lands before it. Either way
// the read holds ffmpeg's decoding in order, and jumps into the link after it and the last link
// read what the whole read has there.
TEST(JoinedOgg, AFarGranuleLeavesTheReadAsFfmpegDecodes) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const std::vector<std::string> vorbis = {"-ar", "44100", "-c:a", "libvorbis"};
    const struct {
        const char* name;
        bool declined; // the page before the first link's last one, else the file's middle page
    } cases[] = {{"declined.ogg", true}, {"amid.ogg", false}};
    for (const auto& c : cases) {
        const auto file = Joined(dir, c.name, vorbis, {7, 20, 4});
        std::string bytes = ReadFileBytes(file);
        const std::size_t page =
            c.declined ? CountOggSoundPages(ReadFileBytes(dir / (std::string("0-") + c.name))) - 2
                       : CountOggSoundPages(bytes) / 2;
        ASSERT_TRUE(MoveOggGranules(bytes, page, 1, int64_t(1) << 50)) << c.name;
        WriteFileBytes(file, bytes);
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
        ASSERT_TRUE(movie) << c.name;
        tbx::PcmForm form;
        form.channels = 2;
        ASSERT_TRUE(movie->SetPcmForm(form)) << c.name;
        movie->SetTimeScale(44100);
        std::vector<std::pair<int32_t, std::vector<uint8_t>>> jumps = {{20 * 44100, {}},
                                                                       {29 * 44100, {}}};
        for (auto& [at, piece] : jumps)
            ASSERT_TRUE(movie->ReadPcm(at, 44100, piece)) << c.name << " at " << at;
        std::vector<uint8_t> read;
        ASSERT_TRUE(movie->ReadPcm(0, int32_t(movie->GetDuration()), read)) << c.name;
        const std::string whole(read.begin(), read.end());
        const Holding held = HoldsInOrder(whole, Converted(file, 0, 2), 4, 8192, 44100, false);
        EXPECT_EQ(held.fault, "") << c.name;
        EXPECT_EQ(held.cut, 0) << c.name;
        for (const auto& [at, piece] : jumps)
            EXPECT_TRUE(std::string(piece.begin(), piece.end()) ==
                        whole.substr(std::size_t(at) * 4, piece.size()))
                << c.name << ": a jump to " << at;
    }
}
