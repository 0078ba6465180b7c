// Movie exporters: the settings' atom layout, the components, and exports that ffprobe and
// ffmpeg read back with the settings asked for.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <sstream>

#include "platform/memory.h"
#include "platform/movie/movie_export.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::RunTool;
using stravel::testing::TempDir;
using tbx::FourCC;

class MemorySink : public tbx::ExportSink {
public:
    explicit MemorySink(std::size_t limit = SIZE_MAX) : _limit(limit) {}
    bool Write(const uint8_t* bytes, std::size_t size) override {
        if (bytes_.size() + size > _limit)
            return false;
        bytes_.insert(bytes_.end(), bytes, bytes + size);
        return true;
    }
    bool WriteAt(uint64_t offset, const uint8_t* bytes, std::size_t size) override {
        if (offset + size > bytes_.size())
            return false;
        std::copy(bytes, bytes + size, bytes_.begin() + std::ptrdiff_t(offset));
        return true;
    }
    uint64_t Size() const override { return bytes_.size(); }
    std::string Text() const { return std::string(bytes_.begin(), bytes_.end()); }
    std::vector<uint8_t> bytes_;

private:
    std::size_t _limit;
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

tbx::OSType Code(const char* text) {
    return tbx::OSType(uint8_t(text[0])) << 24 | tbx::OSType(uint8_t(text[1])) << 16 |
           tbx::OSType(uint8_t(text[2])) << 8 | uint8_t(text[3]);
}

tbx::ComponentInstance OpenExporter(tbx::OSType subType) {
    const tbx::ComponentDescription looking{tbx::MovieExportType, subType, 0,
                                            tbx::canMovieExportFiles, tbx::canMovieExportFiles};
    return tbx::OpenComponent(tbx::FindNextComponent(nullptr, &looking));
}

void SetSettings(tbx::ComponentInstance exporter, const tbx::MovieExportSettings& settings) {
    tbx::Handle container = tbx::NewHandle(0);
    ASSERT_TRUE(tbx::WriteMovieExportSettings(settings, container));
    ASSERT_EQ(tbx::MovieExportSetSettingsFromAtomContainer(exporter, container), tbx::noErr);
    tbx::DisposeHandle(container);
}

// ffprobe's flat report: "streams.stream.0.codec_name" → "h264".
std::map<std::string, std::string> Probe(const std::filesystem::path& file) {
    auto result = RunTool({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                           "stream=codec_type,codec_name,width,height,avg_frame_rate,"
                           "sample_rate,channels,nb_read_frames,duration:format=duration",
                           "-of", "flat", file.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::map<std::string, std::string> values;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);)
        if (std::size_t eq = line.find('='); eq != std::string::npos) {
            std::string value = line.substr(eq + 1);
            if (value.size() >= 2 && value.front() == '"')
                value = value.substr(1, value.size() - 2);
            values[line.substr(0, eq)] = value;
        }
    return values;
}

// Frame `index` of a file as RGB bytes, decoded by ffmpeg.
std::string FfmpegFrame(const std::filesystem::path& file, int index) {
    auto result = RunTool({"ffmpeg", "-v", "error", "-i", file.string(), "-vf",
                           "select=eq(n\\," + std::to_string(index) + ")", "-frames:v", "1", "-f",
                           "rawvideo", "-pix_fmt", "rgb24", "-"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out;
}

// The samples of a file's sound as ffmpeg decodes them, one channel.
std::size_t SoundSamples(const std::filesystem::path& file) {
    auto result = RunTool({"ffmpeg", "-v", "error", "-i", file.string(), "-map", "0:a", "-ac", "1",
                           "-f", "s16le", "-"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out.size() / 2;
}

class MovieExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        STRAVEL_REQUIRE_TOOL("ffprobe");
        // 97 × 61 lossless frames at 25 per second with a 440 Hz tone, two seconds.
        clip = dir / "clip.mov";
        ASSERT_EQ(RunTool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=s=97x61:r=25:d=2",
                           "-f", "lavfi", "-i", "sine=f=440:r=22050:d=2", "-c:v", "png", "-c:a",
                           "pcm_s16le", clip.string()})
                      .exitCode,
                  0);
        movie = tbx::Movie::Open(clip.string());
        ASSERT_TRUE(movie);
        tbx::SetMovieProgressProc(movie.get(), Progress::Proc, &progress);
    }

    TempDir dir;
    std::filesystem::path clip;
    std::unique_ptr<tbx::Movie> movie;
    Progress progress;
};

} // namespace

// One record of settings and its atoms, read and written.
TEST(MovieExportSettings, GoldenLayoutBothWaysAndRandomRoundTrip) {
    tbx::MovieExportSettings settings;
    settings.codec = FourCC("mp4v");
    settings.width = 320;
    settings.height = 240;
    settings.frameRate = 12.5;
    settings.keyFrameRate = 24;
    settings.quality = tbx::codecHighQuality;
    settings.sound = false;
    const std::vector<uint8_t> golden = {
        0,    0,    0,   0,    0,   0,    0,    0,   0, 0, 0, 0,                          // header
        0,    0,    0,   0xB1, 's', 'e',  'a',  'n', 0, 0, 0, 1,  0, 0, 0, 2, 0, 0, 0, 0, // root
        0,    0,    0,   0x88, 'v', 'i',  'd',  'e', 0, 0, 0, 1,  0, 0, 0, 4, 0, 0, 0, 0, // video
        0,    0,    0,   0x24, 's', 'p',  't',  'l', 0, 0, 0, 1,  0, 0, 0, 0, 0, 0, 0, 0, //
        'm',  'p',  '4', 'v',  0,   0,    0,    0,   0, 0, 0, 24, 0, 0, 3, 0,             // spatial
        0,    0,    0,   0x20, 't', 'p',  'r',  'l', 0, 0, 0, 1,  0, 0, 0, 0, 0, 0, 0, 0, //
        0,    0,    3,   0,    0,   0x0C, 0x80, 0,   0, 0, 0, 24, // temporal
        0,    0,    0,   0x18, 'w', 'd',  't',  'h', 0, 0, 0, 1,  0, 0, 0, 0, 0, 0, 0, 0, //
        0x01, 0x40, 0,   0,                                                               // 320.0
        0,    0,    0,   0x18, 'h', 'e',  'g',  't', 0, 0, 0, 1,  0, 0, 0, 0, 0, 0, 0, 0, //
        0,    0xF0, 0,   0,                                                               // 240.0
        0,    0,    0,   0x15, 'e', 'n',  's',  'o', 0, 0, 0, 1,  0, 0, 0, 0, 0, 0, 0, 0,
        0, // no sound
    };
    tbx::Handle container = tbx::NewHandle(0);
    ASSERT_TRUE(tbx::WriteMovieExportSettings(settings, container));
    EXPECT_EQ(std::vector<uint8_t>(*container, *container + tbx::GetHandleSize(container)), golden);
    tbx::MovieExportSettings read;
    ASSERT_TRUE(tbx::ReadMovieExportSettings(container, read));
    EXPECT_EQ(read.codec, settings.codec);
    EXPECT_EQ(read.width, 320);
    EXPECT_EQ(read.height, 240);
    EXPECT_EQ(read.frameRate, 12.5);
    EXPECT_EQ(read.keyFrameRate, 24);
    EXPECT_EQ(read.quality, tbx::codecHighQuality);
    EXPECT_FALSE(read.sound);

    std::mt19937 random(27);
    for (int i = 0; i < 200; ++i) {
        tbx::MovieExportSettings out;
        out.codec = random();
        out.width = int32_t(random() % 32768);
        out.height = int32_t(random() % 32768);
        out.frameRate = int32_t(random() % (120 << 16)) / 65536.0;
        out.keyFrameRate = int32_t(random() % 1000);
        out.quality = int32_t(random() % 1024);
        out.sound = random() & 1;
        ASSERT_TRUE(tbx::WriteMovieExportSettings(out, container));
        tbx::MovieExportSettings in;
        ASSERT_TRUE(tbx::ReadMovieExportSettings(container, in));
        EXPECT_TRUE(in.codec == out.codec && in.width == out.width && in.height == out.height &&
                    in.frameRate == out.frameRate && in.keyFrameRate == out.keyFrameRate &&
                    in.quality == out.quality && in.sound == out.sound)
            << i;
    }
    tbx::DisposeHandle(container);
    EXPECT_FALSE(tbx::ReadMovieExportSettings(nullptr, read));
}

TEST(MovieExporters, ComponentsByDescriptionAndCheckedInstances) {
    tbx::ComponentDescription sound{tbx::MovieExportType, 0, FourCC("soun"),
                                    tbx::canMovieExportFiles, tbx::canMovieExportFiles};
    std::vector<tbx::OSType> found;
    for (tbx::Component c = tbx::FindNextComponent(nullptr, &sound); c;
         c = tbx::FindNextComponent(c, &sound)) {
        tbx::ComponentDescription info;
        ASSERT_EQ(tbx::GetComponentInfo(c, &info), tbx::noErr);
        found.push_back(info.componentSubType);
    }
    EXPECT_EQ(found, (std::vector<tbx::OSType>{FourCC("AIFF"), FourCC("WAVE"), FourCC("ULAW")}));
    sound.componentFlags = sound.componentFlagsMask = tbx::canMovieExportHandles;
    EXPECT_EQ(tbx::FindNextComponent(nullptr, &sound), nullptr) << "none writes to handles";
    EXPECT_EQ(tbx::OpenComponent(reinterpret_cast<tbx::Component>(99)), nullptr);

    tbx::ComponentInstance mov = OpenExporter(FourCC("MooV"));
    ASSERT_NE(mov, nullptr);
    std::vector<tbx::MovieExportCodec> codecs;
    ASSERT_EQ(tbx::MovieExportGetCodecs(mov, codecs), tbx::noErr);
    ASSERT_FALSE(codecs.empty());
    // A new exporter offers its first compressor, the movie's own size and rate, and sound.
    tbx::QTAtomContainer settings = nullptr;
    ASSERT_EQ(tbx::MovieExportGetSettingsAsAtomContainer(mov, &settings), tbx::noErr);
    tbx::MovieExportSettings read;
    read.sound = false;
    ASSERT_TRUE(tbx::ReadMovieExportSettings(settings, read));
    EXPECT_EQ(read.codec, codecs.front().type);
    EXPECT_EQ(read.width + read.height + read.frameRate, 0);
    EXPECT_TRUE(read.sound);
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
        const char* exporter;
        const char* codec;
        const char* probed;
        int width, height;
        bool sound;
        int wantWidth, wantHeight;
        int keyFrames = 0;
    };
    const Case cases[] = {
        {"MooV", "avc1", "h264", 101, 75, true, 100, 74},
        {"MooV", "mp4v", "mpeg4", 101, 75, false, 100, 74, 5},
        {"MooV", "jpeg", "mjpeg", 9000, 33, true, 4096, 32},
        {"MooV", "png ", "png", 0, 0, false, 97, 61},
        {"MooV", "raw ", "rawvideo", 97, 61, true, 97, 61},
        {"VfW ", "mp4v", "mpeg4", 101, 75, true, 100, 74},
        {"VfW ", "jpeg", "mjpeg", 64, 48, false, 64, 48},
        {"VfW ", "raw ", "rawvideo", 0, 0, true, 97, 61},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.exporter) + " " + c.codec);
        tbx::ComponentInstance exporter = OpenExporter(Code(c.exporter));
        tbx::MovieExportSettings settings;
        settings.codec = Code(c.codec);
        settings.width = c.width;
        settings.height = c.height;
        settings.frameRate = 12.5;
        settings.sound = c.sound;
        settings.keyFrameRate = c.keyFrames;
        SetSettings(exporter, settings);
        MemorySink sink;
        progress.calls.clear();
        ASSERT_EQ(tbx::MovieExportToSink(exporter, sink, movie.get(), 0, movie->GetDuration()),
                  tbx::noErr);
        tbx::CloseComponent(exporter);
        const auto out = dir / "out";
        stravel::testing::WriteFileBytes(out, sink.Text());
        auto probe = Probe(out);
        EXPECT_EQ(probe["streams.stream.0.codec_name"], c.probed);
        EXPECT_EQ(probe["streams.stream.0.width"], std::to_string(c.wantWidth));
        EXPECT_EQ(probe["streams.stream.0.height"], std::to_string(c.wantHeight));
        EXPECT_EQ(probe["streams.stream.0.avg_frame_rate"], "25/2");
        EXPECT_EQ(probe["streams.stream.0.nb_read_frames"], "25");
        EXPECT_NEAR(std::stod(probe["format.duration"]), 2.0, 1 / 12.5);
        EXPECT_EQ(probe["streams.stream.1.codec_type"], c.sound ? "audio" : "");
        if (c.sound) {
            EXPECT_EQ(probe["streams.stream.1.sample_rate"], "22050");
            EXPECT_EQ(SoundSamples(out), 44100u);
        }
        if (c.keyFrames) {
            const std::string keys =
                RunTool({"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries",
                         "frame=key_frame", "-of", "csv=p=0", out.string()})
                    .out;
            for (std::size_t k = 0; k < 25; k += std::size_t(c.keyFrames))
                EXPECT_EQ(keys.substr(2 * k, 1), "1") << "frame " << k;
        }
        // Frame k of the export is the source's frame at k / 12.5 s, pixel for pixel where
        // the compressor keeps every pixel.
        if (c.wantWidth == 97 && std::string(c.probed) != "mjpeg") {
            for (int k : {0, 7, 24})
                EXPECT_TRUE(FfmpegFrame(out, k) == FfmpegFrame(clip, 2 * k)) << "frame " << k;
        }
        // Reports: the start, fractions that grow to the whole, the end.
        ASSERT_GE(progress.calls.size(), 3u);
        EXPECT_EQ(progress.calls.front().first, tbx::movieProgressOpen);
        EXPECT_EQ(progress.calls.back().first, tbx::movieProgressClose);
        const auto& last = progress.calls[progress.calls.size() - 2];
        EXPECT_EQ(last, std::make_pair(tbx::SInt16(tbx::movieProgressUpdatePercent), 0x10000));
        for (std::size_t i = 2; i + 1 < progress.calls.size(); ++i)
            EXPECT_GE(progress.calls[i].second, progress.calls[i - 1].second);
    }
}

TEST_F(MovieExportTest, UnknownCodecCancelAndRefusedBytesFail) {
    tbx::ComponentInstance exporter = OpenExporter(FourCC("MooV"));
    tbx::MovieExportSettings settings;
    settings.codec = FourCC("zzzz");
    SetSettings(exporter, settings);
    MemorySink sink;
    EXPECT_EQ(tbx::MovieExportToSink(exporter, sink, movie.get(), 0, 600), tbx::noCodecErr);
    EXPECT_TRUE(sink.bytes_.empty());
    EXPECT_TRUE(progress.calls.empty()) << "refused before it started";

    settings.codec = FourCC("mp4v");
    SetSettings(exporter, settings);
    progress.cancelAt = 0x8000;
    EXPECT_EQ(tbx::MovieExportToSink(exporter, sink, movie.get(), 0, 1200), -128);
    EXPECT_EQ(progress.calls.back().first, tbx::movieProgressClose);
    EXPECT_LT(progress.calls[progress.calls.size() - 2].second, 0x9000) << "stopped at half way";

    progress.cancelAt = INT32_MAX;
    MemorySink full(4096);
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
    ASSERT_TRUE(sound);
    tbx::ComponentInstance wave = OpenExporter(FourCC("WAVE"));
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
