#include <gtest/gtest.h>

#include <memory>

#include "media/image/image.h"
#include "media/importers/importer_manager.h"
#include "media/importers/mp3_importer.h"
#include "media/importers/quicktime_importer.h"
#include "tests/media/media_test_support.h"
#include "tests/media/movie/movie_media.h"

using namespace movietest;
using mediatest::PathOf;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

namespace {

// The registry as the main window sets it up.
class ImporterRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        registry = CBK_MediaImporterManager::CreateManager(0);
        ASSERT_NE(registry, nullptr);
        quicktime = new CBK_MediaImporterQuickTime;
        mp3 = new CBK_MediaImporterQuickTimeMp3;
        ASSERT_TRUE(registry->AddMediaImporter(quicktime));
        ASSERT_TRUE(registry->AddMediaImporter(mp3));
        CBK_FileType mp3Type(L"MP3"), movType(L"QuickTime");
        mp3Type.AddExtension(L"mp3");
        movType.AddExtension(L"mov");
        for (auto kind : {CBK_MediaImporterManager::IMPORTER_TYPE_DEFAULT,
                          CBK_MediaImporterManager::IMPORTER_TYPE_OPEN}) {
            ASSERT_TRUE(registry->SetPreferredType(mp3Type, mp3, kind));
            ASSERT_TRUE(registry->SetPreferredType(movType, quicktime, kind));
        }
    }
    void TearDown() override { CBK_MediaImporterManager::DestroyManagers(); }

    int32_t KindFor(const std::filesystem::path& file) {
        CBK_Path path = PathOf(file);
        std::unique_ptr<CBK_MediaImporter> importer(
            registry->GetImporter(path, true, CBK_MediaImporterManager::IMPORTER_TYPE_OPEN));
        return importer ? importer->GetKind() : -1;
    }
    int32_t MediaType(const std::filesystem::path& file) {
        CBK_Path path = PathOf(file);
        return registry->GetMediaType(path);
    }

    TempDir dir;
    CBK_MediaImporterManager* registry = nullptr;
    CBK_MediaImporter* quicktime = nullptr;
    CBK_MediaImporter* mp3 = nullptr;
};

std::string Pcm(CBK_MediaImporter& importer) {
    uint32_t bytes = 0;
    std::unique_ptr<uint8_t[]> all(importer.GetSoundSamples(0, 0, bytes, nullptr));
    return all ? std::string(reinterpret_cast<char*>(all.get()), bytes) : std::string();
}

} // namespace

TEST_F(ImporterRegistry, ChoosesImportersAndMediaTypes) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    // Preferred extensions decide without opening the file (these do not exist).
    EXPECT_EQ(KindFor(dir / "a.MP3"), 4);
    EXPECT_EQ(KindFor(dir / "a.MOV"), 3);
    EXPECT_EQ(MediaType(dir / "missing.JPG"), 1);
    WriteFileBytes(dir / "notes.txt", "just some words\n");
    EXPECT_EQ(KindFor(dir / "notes.txt"), -1);
    EXPECT_EQ(MediaType(dir / "notes.txt"), 0);
    const auto wav = dir / "s.wav";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=r=8000:d=1"}, wav));
    EXPECT_EQ(KindFor(wav), 3);
    EXPECT_EQ(MediaType(wav), 2);

    WriteFileBytes(dir / "u.swf", std::string("FWS\x06\x20\0\0\0", 8));
    WriteFileBytes(dir / "U.SWF", std::string("FWS\x06\x20\0\0\0", 8));
    WriteFileBytes(dir / "c.swf", std::string("CWS\x06\x20\0\0\0", 8));
    EXPECT_EQ(MediaType(dir / "u.swf"), 4);
    EXPECT_EQ(MediaType(dir / "c.swf"), 0);
    EXPECT_EQ(MediaType(dir / "U.SWF"), 0) << "the swf test is case-sensitive";

    const auto mp3File = dir / "s.mp3", cover = dir / "cover.png", tagged = dir / "cover.mp3";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=r=22050:d=1", "-c:a", "libmp3lame"}, mp3File));
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "testsrc=s=32x32", "-frames:v", "1"}, cover));
    ASSERT_TRUE(Make({"-i", mp3File.string(), "-i", cover.string(), "-map", "0", "-map", "1", "-c",
                      "copy", "-disposition:v", "attached_pic", "-id3v2_version", "3"},
                     tagged));
    EXPECT_EQ(MediaType(tagged), 2) << "cover art is not video";

    EXPECT_EQ(CBK_MediaImporterManager::CreateManager(0), nullptr);
    EXPECT_EQ(CBK_MediaImporterManager::GetManager(0), registry);
    CBK_FileType wavType;
    wavType.AddExtension(L"wav");
    EXPECT_TRUE(
        registry->SetPreferredType(wavType, mp3, CBK_MediaImporterManager::IMPORTER_TYPE(2)));
    EXPECT_EQ(KindFor(wav), 3);
}

TEST(MediaImporter, TimeConversionsAndUnopenedImporter) {
    CBK_MediaImporterQuickTime importer;
    EXPECT_EQ(importer.GetTimeScale(), 0);
    EXPECT_EQ(importer.GetDurationMsec(), 0u);
    EXPECT_EQ(importer.ConvertTimeValueToMsec(600), 0u);
    CBK_MediaImporter::IMAGE_DESCRIPTION image;
    EXPECT_FALSE(importer.GetImageDescription(image));
    CBK_Path missing(L"/nonexistent/x.mov");
    EXPECT_FALSE(importer.Init(missing));
    EXPECT_EQ(importer.GetStatus(), 2);
}

TEST(MediaImporter, QuickTimeImporterDescribesAndConverts) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto clip = dir / "c.mov", grey = dir / "g.png";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "testsrc=s=64x48:r=25:d=10", "-f", "lavfi", "-i",
                      "sine=r=44100:d=10", "-c:v", "mjpeg", "-c:a", "pcm_s16le"},
                     clip));
    ASSERT_TRUE(
        Make({"-f", "lavfi", "-i", "testsrc=s=16x16", "-frames:v", "1", "-pix_fmt", "gray"}, grey));
    CBK_MediaImporterQuickTime importer;
    CBK_Path path = PathOf(clip);
    ASSERT_TRUE(importer.Init(path));
    EXPECT_EQ(importer.GetStatus(), 0);
    EXPECT_EQ(importer.ConvertMsecToTimeValue(1500), 900);
    EXPECT_EQ(importer.ConvertMsecToTimeValue(1), 0);
    EXPECT_EQ(importer.ConvertTimeValueToMsec(900), 1500u);
    EXPECT_EQ(importer.GetDurationMsec(), 10000u);
    CBK_MediaImporter::IMAGE_DESCRIPTION image;
    ASSERT_TRUE(importer.GetImageDescription(image));
    EXPECT_EQ(image.m_nWidth, 64);
    EXPECT_EQ(image.m_nHeight, 48);
    EXPECT_DOUBLE_EQ(image.m_dFrameRate, 25.0);
    EXPECT_EQ(image.m_nDuration, 10000u);
    CBK_MediaImporter::SOUND_DESCRIPTION sound;
    ASSERT_TRUE(importer.GetSoundDescription(sound));
    EXPECT_DOUBLE_EQ(sound.m_dRate, 44.1);
    EXPECT_EQ(sound.m_nSampleSize, 16);
    EXPECT_EQ(sound.m_nChannels, 1);
    CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION asked, got;
    asked.m_nFormat = tbx::FourCC("twos");
    asked.m_nBits = 16;
    ASSERT_TRUE(importer.SetSoundExportDescription(asked, nullptr));
    ASSERT_TRUE(importer.GetSoundExportDescription(got));
    EXPECT_EQ(got.m_nFormat, tbx::FourCC("twos"));
    // Delivered little-endian whatever was asked: the first sine samples rise from 0.
    uint32_t bytes = 0;
    std::unique_ptr<uint8_t[]> head(importer.GetSoundSamples(0, 60, bytes, nullptr));
    ASSERT_EQ(bytes, 4410u * 2);
    EXPECT_GT(int16_t(head[2] | head[3] << 8), 0);
    uint32_t rawSize = 0;
    std::unique_ptr<uint8_t[]> raw(importer.GetRawData(rawSize));
    EXPECT_EQ(rawSize, std::filesystem::file_size(clip));

    CBK_Path greyPath = PathOf(grey);
    ASSERT_TRUE(importer.Init(greyPath));
    ASSERT_TRUE(importer.GetImageDescription(image));
    EXPECT_EQ(image.m_nDepth, 8);
    EXPECT_EQ(image.m_strCodecName, L"PNG");
}

TEST(MediaImporter, Mp3ImporterMatchesFfmpegAndKeepsItsOwnFile) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto mp3File = dir / "s.mp3";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=f=440:r=44100:d=4.3", "-ac", "2", "-c:a",
                      "libmp3lame", "-b:a", "128k"},
                     mp3File));
    const std::string reference =
        RunTool({"ffmpeg", "-v", "error", "-i", mp3File.string(), "-f", "s16le", "-"}).out;
    ASSERT_FALSE(reference.empty());

    CBK_Path path = PathOf(mp3File);
    auto first = std::make_unique<CBK_MediaImporterQuickTimeMp3>();
    CBK_MediaImporterQuickTimeMp3 second;
    ASSERT_TRUE(first->Init(path));
    ASSERT_TRUE(second.Init(path));
    EXPECT_FALSE(second.HasVideo());
    int32_t width = 1, height = 1;
    second.GetSize(width, height);
    EXPECT_EQ(width + height, 0);
    CBK_Image image;
    EXPECT_FALSE(second.GetRgbFrame(0, image, nullptr, 24));

    CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION form;
    ASSERT_TRUE(first->SetSoundExportDescription(form, nullptr));
    ASSERT_TRUE(second.SetSoundExportDescription(form, nullptr));
    const CBK_Path firstFile = first->GetDecodedPath();
    EXPECT_NE(firstFile, second.GetDecodedPath());
    EXPECT_EQ(Pcm(*first), reference);
    first.reset();
    EXPECT_FALSE(firstFile.FileExists());
    EXPECT_TRUE(second.GetDecodedPath().FileExists());

    // Sequential requests reach the very end.
    const uint32_t total = uint32_t(second.GetTotalSamples());
    std::string joined;
    for (uint32_t at = 0; at < total;) {
        uint32_t bytes = 0, next = 0;
        const int32_t length = int32_t(std::min<uint32_t>(total - at, 40));
        std::unique_ptr<uint8_t[]> piece(second.GetSoundSamples(at, length, bytes, &next));
        ASSERT_TRUE(piece) << "at " << at << " of " << total;
        joined.append(reinterpret_cast<char*>(piece.get()), bytes);
        at = next;
    }
    EXPECT_EQ(joined, reference);
}

TEST(MediaImporter, BothImportersAnswerInTheTimeScaleInForce) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto file = dir / "s.mp3";
    ASSERT_TRUE(
        Make({"-f", "lavfi", "-i", "sine=r=44100:d=2", "-ac", "2", "-c:a", "libmp3lame"}, file));
    CBK_Path path = PathOf(file);
    CBK_MediaImporterQuickTime quicktime;
    CBK_MediaImporterQuickTimeMp3 mp3;
    for (CBK_MediaImporter* importer :
         {static_cast<CBK_MediaImporter*>(&quicktime), static_cast<CBK_MediaImporter*>(&mp3)}) {
        ASSERT_TRUE(importer->Init(path));
        CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION form;
        ASSERT_TRUE(importer->SetSoundExportDescription(form, nullptr));
        importer->SetTimeScale(44100);
        uint32_t bytes = 0, next = 0;
        std::unique_ptr<uint8_t[]> tenth(importer->GetSoundSamples(0, 4410, bytes, &next));
        ASSERT_TRUE(tenth) << importer->GetKind();
        EXPECT_EQ(bytes, 4410u * 4) << importer->GetKind();
        EXPECT_EQ(next, 4410u) << importer->GetKind();
    }
}
