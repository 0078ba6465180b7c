// Movie exporters: the settings' atom layout, the components, and exports that ffprobe and
// ffmpeg read back with the settings asked for.
#include <gtest/gtest.h>

#include <random>

#include "platform/memory.h"
#include "platform/movie/movie_export.h"
#include "tests/support/media_probe.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::RunTool;
using stravel::testing::TempDir;
using tbx::FourCC;

struct MemorySink : tbx::ExportSink {
    std::string bytes;
    std::size_t limit = SIZE_MAX;
    bool Write(const uint8_t* data, std::size_t size) override {
        bytes.append(reinterpret_cast<const char*>(data), size);
        return bytes.size() <= limit;
    }
    bool WriteAt(uint64_t offset, const uint8_t* data, std::size_t size) override {
        return offset + size <= bytes.size() &&
               bytes.replace(offset, size, reinterpret_cast<const char*>(data), size).size();
    }
    uint64_t Size() const override { return bytes.size(); }
};

// Every progress report, and an answer that cancels from a fraction on.
struct Progress {
    std::vector<std::pair<tbx::SInt16, tbx::SInt32>> calls;
    tbx::SInt32 cancelAt = INT32_MAX;
    static tbx::OSErr Proc(tbx::Movie*, tbx::SInt16 message, tbx::SInt16, tbx::SInt32 done,
                           void* refCon) {
        Progress* self = static_cast<Progress*>(refCon);
        self->calls.emplace_back(message, done);
        return message == tbx::movieProgressUpdatePercent && done >= self->cancelAt ? -128 : 0;
    }
};

tbx::ComponentInstance OpenExporter(tbx::OSType subType, const tbx::MovieExportSettings* settings) {
    const tbx::ComponentDescription looking{tbx::MovieExportType, subType, 0,
                                            tbx::canMovieExportFiles, tbx::canMovieExportFiles};
    tbx::ComponentInstance exporter = tbx::OpenComponent(tbx::FindNextComponent(nullptr, &looking));
    tbx::Handle container = tbx::NewHandle(0);
    if (settings) {
        EXPECT_TRUE(tbx::WriteMovieExportSettings(*settings, container) &&
                    tbx::MovieExportSetSettingsFromAtomContainer(exporter, container) == 0);
    }
    tbx::DisposeHandle(container);
    return exporter;
}

// What ffmpeg decodes of a file: frame `index` as RGB, or the sound as 16-bit mono.
std::string Decoded(const std::filesystem::path& file, int index) {
    std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-i", file.string()};
    if (index >= 0)
        argv.insert(argv.end(), {"-vf", "select=eq(n\\," + std::to_string(index) + ")", "-frames:v",
                                 "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    else
        argv.insert(argv.end(), {"-map", "0:a", "-ac", "1", "-f", "s16le", "-"});
    return RunTool(argv).out;
}

class MovieExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        STRAVEL_REQUIRE_TOOL("ffprobe");
        ASSERT_TRUE(stravel::testing::MakeTestClip(clip));
        movie = tbx::Movie::Open(clip.string());
        ASSERT_TRUE(movie);
        tbx::SetMovieProgressProc(movie.get(), Progress::Proc, &progress);
    }

    TempDir dir;
    std::filesystem::path clip = dir / "clip.mov";
    std::unique_ptr<tbx::Movie> movie;
    Progress progress;
};

} // namespace

// One record of settings and its atoms, read and written.
TEST(MovieExportSettings, GoldenLayoutBothWaysAndRandomRoundTrip) {
    tbx::MovieExportSettings settings{FourCC("mp4v"),        320,  240, 12.5, 24,
                                      tbx::codecHighQuality, false};
    // clang-format off
    const std::vector<uint8_t> golden = {
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                                       // header
        0, 0, 0, 0xB1, 's', 'e', 'a', 'n', 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0,    // root
        0, 0, 0, 0x88, 'v', 'i', 'd', 'e', 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 0,    // video
        0, 0, 0, 0x24, 's', 'p', 't', 'l', 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0,
        'm', 'p', '4', 'v', 0, 0, 0, 0, 0, 0, 0, 24, 0, 0, 3, 0,                  // spatial
        0, 0, 0, 0x20, 't', 'p', 'r', 'l', 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 3, 0, 0, 0x0C, 0x80, 0, 0, 0, 0, 24,                                // temporal
        0, 0, 0, 0x18, 'w', 'd', 't', 'h', 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0,
        0x01, 0x40, 0, 0,                                                         // 320.0
        0, 0, 0, 0x18, 'h', 'e', 'g', 't', 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0xF0, 0, 0,                                                            // 240.0
        0, 0, 0, 0x15, 'e', 'n', 's', 'o', 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, // no sound
    };
    // clang-format on
    auto same = [](const tbx::MovieExportSettings& a, const tbx::MovieExportSettings& b) {
        return a.codec == b.codec && a.width == b.width && a.height == b.height &&
               a.frameRate == b.frameRate && a.keyFrameRate == b.keyFrameRate &&
               a.quality == b.quality && a.sound == b.sound;
    };
    tbx::Handle container = tbx::NewHandle(0);
    ASSERT_TRUE(tbx::WriteMovieExportSettings(settings, container));
    EXPECT_EQ(std::vector<uint8_t>(*container, *container + tbx::GetHandleSize(container)), golden);
    tbx::MovieExportSettings read;
    ASSERT_TRUE(tbx::ReadMovieExportSettings(container, read));
    EXPECT_TRUE(same(read, settings));

    std::mt19937 random(27);
    for (int i = 0; i < 200; ++i) {
        const tbx::MovieExportSettings out{
            tbx::OSType(random()),     int32_t(random() % 32768),
            int32_t(random() % 32768), int32_t(random() % (120 << 16)) / 65536.0,
            int32_t(random() % 1000),  int32_t(random() % 1024),
            bool(random() & 1)};
        tbx::MovieExportSettings in;
        ASSERT_TRUE(tbx::WriteMovieExportSettings(out, container) &&
                    tbx::ReadMovieExportSettings(container, in));
        EXPECT_TRUE(same(in, out)) << i;
    }
    tbx::DisposeHandle(container);
    EXPECT_FALSE(tbx::ReadMovieExportSettings(nullptr, read));
}

TEST(MovieExporters, ComponentsByDescriptionAndCheckedInstances) {
    tbx::ComponentDescription sound{tbx::MovieExportType, 0, FourCC("soun"),
                                    tbx::canMovieExportFiles, tbx::canMovieExportFiles};
    std::vector<tbx::OSType> found;
    tbx::ComponentDescription info;
    for (tbx::Component c = tbx::FindNextComponent(nullptr, &sound); c;
         c = tbx::FindNextComponent(c, &sound))
        if (tbx::GetComponentInfo(c, &info) == tbx::noErr)
            found.push_back(info.componentSubType);
    EXPECT_EQ(found, (std::vector<tbx::OSType>{FourCC("AIFF"), FourCC("WAVE"), FourCC("ULAW")}));
    sound.componentFlags = sound.componentFlagsMask = tbx::canMovieExportHandles;
    EXPECT_EQ(tbx::FindNextComponent(nullptr, &sound), nullptr) << "none writes to handles";
    EXPECT_EQ(tbx::OpenComponent(reinterpret_cast<tbx::Component>(99)), nullptr);

    // A new exporter offers its first compressor, the movie's own size and rate, and sound.
    tbx::ComponentInstance mov = OpenExporter(FourCC("MooV"), nullptr);
    std::vector<tbx::MovieExportCodec> codecs;
    ASSERT_EQ(tbx::MovieExportGetCodecs(mov, codecs), tbx::noErr);
    ASSERT_FALSE(codecs.empty());
    tbx::QTAtomContainer settings = nullptr;
    ASSERT_EQ(tbx::MovieExportGetSettingsAsAtomContainer(mov, &settings), tbx::noErr);
    tbx::MovieExportSettings read;
    read.sound = false;
    ASSERT_TRUE(tbx::ReadMovieExportSettings(settings, read));
    EXPECT_TRUE(read.codec == codecs.front().type && read.sound);
    EXPECT_EQ(read.width + read.height + read.frameRate, 0);
    tbx::DisposeHandle(settings);
    EXPECT_EQ(tbx::MovieExportSetSettingsFromAtomContainer(mov, nullptr), tbx::paramErr);
    EXPECT_EQ(tbx::CloseComponent(mov), tbx::noErr);
    EXPECT_EQ(tbx::CloseComponent(mov), tbx::badComponentInstance);
    EXPECT_EQ(tbx::MovieExportGetCodecs(mov, codecs), tbx::badComponentInstance);
}

// Each compressor of both containers: what ffprobe reads is what was asked, brought within
// what the encoder takes (sizes of subsampled colour even).
TEST_F(MovieExportTest, MovAndAviReadBackWithTheSettings) {
    struct Case {
        tbx::OSType exporter, codec;
        const char* probed;
        int width, height;
        bool sound;
        int wantWidth, wantHeight;
        int keyFrames = 0;
    };
    const tbx::OSType mov = FourCC("MooV"), avi = FourCC("VfW ");
    const Case cases[] = {
        {mov, FourCC("avc1"), "h264", 101, 75, true, 100, 74},
        {mov, FourCC("mp4v"), "mpeg4", 101, 75, false, 100, 74, 5},
        {mov, FourCC("jpeg"), "mjpeg", 9000, 33, true, 4096, 32},
        {mov, FourCC("png "), "png", 0, 0, false, 97, 61},
        {mov, FourCC("raw "), "rawvideo", 97, 61, true, 97, 61},
        {avi, FourCC("mp4v"), "mpeg4", 101, 75, true, 100, 74},
        {avi, FourCC("jpeg"), "mjpeg", 64, 48, false, 64, 48},
        {avi, FourCC("raw "), "rawvideo", 0, 0, true, 97, 61},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.probed);
        const tbx::MovieExportSettings settings{
            c.codec, c.width, c.height, 12.5, c.keyFrames, tbx::codecNormalQuality, c.sound};
        tbx::ComponentInstance exporter = OpenExporter(c.exporter, &settings);
        MemorySink sink;
        progress.calls.clear();
        ASSERT_EQ(tbx::MovieExportToSink(exporter, sink, movie.get(), 0, movie->GetDuration()),
                  tbx::noErr);
        tbx::CloseComponent(exporter);
        const auto out = dir / "out";
        stravel::testing::WriteFileBytes(out, sink.bytes);
        auto probe = stravel::testing::ProbeStreams(out);
        EXPECT_EQ(probe["streams.stream.0.codec_name"], c.probed);
        EXPECT_EQ(probe["streams.stream.0.width"], std::to_string(c.wantWidth));
        EXPECT_EQ(probe["streams.stream.0.height"], std::to_string(c.wantHeight));
        EXPECT_EQ(probe["streams.stream.0.avg_frame_rate"], "25/2");
        EXPECT_EQ(probe["streams.stream.0.nb_read_frames"], "25");
        EXPECT_NEAR(std::stod(probe["format.duration"]), 2.0, 1 / 12.5);
        EXPECT_EQ(probe["streams.stream.1.codec_type"], c.sound ? "audio" : "");
        if (c.sound) {
            EXPECT_EQ(Decoded(out, -1).size(), 44100u * 2) << "two seconds at 22,050 Hz";
        }
        if (c.keyFrames) {
            const std::string keys = RunTool({"ffprobe", "-v", "error", "-show_entries",
                                              "frame=key_frame", "-of", "csv=p=0", out.string()})
                                         .out;
            for (std::size_t k = 0; k < 25; k += std::size_t(c.keyFrames))
                EXPECT_EQ(keys.substr(2 * k, 1), "1") << "frame " << k;
        }
        // Frame k is the source's frame at k / 12.5 s, pixel for pixel where the compressor
        // keeps every pixel.
        for (int k : {0, 7, 24})
            EXPECT_TRUE(c.wantWidth != 97 || Decoded(out, k) == Decoded(clip, 2 * k)) << k;
        // Reports: the start, fractions that grow to the whole, the end.
        ASSERT_GE(progress.calls.size(), 3u);
        EXPECT_EQ(progress.calls.front().first, tbx::movieProgressOpen);
        EXPECT_EQ(progress.calls.back().first, tbx::movieProgressClose);
        EXPECT_EQ(progress.calls[progress.calls.size() - 2],
                  std::make_pair(tbx::SInt16(tbx::movieProgressUpdatePercent), 0x10000));
        EXPECT_TRUE(std::is_sorted(progress.calls.begin() + 1, progress.calls.end() - 1));
    }
}

TEST_F(MovieExportTest, UnknownCodecCancelAndRefusedBytesFail) {
    tbx::MovieExportSettings settings;
    settings.codec = FourCC("zzzz");
    tbx::ComponentInstance exporter = OpenExporter(FourCC("MooV"), &settings);
    MemorySink sink;
    EXPECT_EQ(tbx::MovieExportToSink(exporter, sink, movie.get(), 0, 600), tbx::noCodecErr);
    EXPECT_TRUE(sink.bytes.empty());
    EXPECT_TRUE(progress.calls.empty()) << "refused before it started";
    tbx::CloseComponent(exporter);

    settings.codec = FourCC("mp4v");
    exporter = OpenExporter(FourCC("MooV"), &settings);
    progress.cancelAt = 0x8000;
    EXPECT_EQ(tbx::MovieExportToSink(exporter, sink, movie.get(), 0, 1200), -128);
    EXPECT_EQ(progress.calls.back().first, tbx::movieProgressClose);
    EXPECT_LT(progress.calls[progress.calls.size() - 2].second, 0x9000) << "stopped at half way";

    progress.cancelAt = INT32_MAX;
    MemorySink full;
    full.limit = 4096;
    EXPECT_EQ(tbx::MovieExportToSink(exporter, full, movie.get(), 0, 1200), tbx::ioErr);
    EXPECT_EQ(tbx::MovieExportToSink(exporter, full, movie.get(), 0, 0), tbx::paramErr);
    EXPECT_EQ(tbx::MovieExportToSink(exporter, full, nullptr, 0, 600), tbx::invalidMovie);
    tbx::CloseComponent(exporter);

    // A sound file whose sizes would not fit in 32 bits is refused before it is written.
    const auto longer = dir / "long.wav";
    ASSERT_EQ(RunTool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono",
                       "-t", "180", longer.string()})
                  .exitCode,
              0);
    std::unique_ptr<tbx::Movie> sound = tbx::Movie::Open(longer.string());
    tbx::ComponentInstance wave = OpenExporter(FourCC("WAVE"), nullptr);
    tbx::SoundDescription form;
    form.sampleRate = 768000;
    form.numChannels = 16;
    ASSERT_EQ(tbx::MovieExportSetSampleDescription(wave, &form, FourCC("soun")), tbx::noErr);
    EXPECT_EQ(tbx::MovieExportToSink(wave, sink, sound.get(), 0, sound->GetDuration()),
              tbx::paramErr);
    form.sampleSize = 24;
    EXPECT_EQ(tbx::MovieExportSetSampleDescription(wave, &form, FourCC("soun")), tbx::paramErr);
    tbx::CloseComponent(wave);
}
