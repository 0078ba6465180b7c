// The in-memory writer, and its agreement with the streaming writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "swf/header/swf_header.h"
#include "swf/writer/swf_file_writer.h"
#include "swf/writer/swf_writer.h"
#include "tests/support/private_folders.h"
#include "tests/swf/swf_test_support.h"
#include "tests/swf/writer/movie_support.h"

namespace {

namespace fs = std::filesystem;
using namespace ravuz;
using stravel::testing::PrivateFolders;
using stravel::testing::ReadFileBytes;
using swfmovie::Bytes;

TEST(SwfWriterTest, HeaderTagsAndTheTrailingByte) {
    CBK_SwfWriter writer;
    writer.Create(200, 200, 12.0f, 6);
    writer.Add(new CBK_SwfShowFrame);
    writer.Add(nullptr);
    writer.Add(new CBK_SwfEnd);
    EXPECT_EQ(writer.GetCount(), 2u);
    EXPECT_EQ(writer.Get(1)->GetTagId(), kSwfTagEnd);
    EXPECT_EQ(writer.Get(2), nullptr);
    EXPECT_EQ(writer.GetFrameCount(), 1u);
    Bytes out = {0xAA}; // output is appended
    EXPECT_EQ(writer.Write(out, nullptr), 22u);
    EXPECT_EQ(swftest::Hex(out), swftest::Hex({0xAA, 0x46, 0x57, 0x53, 0x06, 0x17, 0x00, 0x00,
                                               0x00, 0x48, 0x01, 0x90, 0x00, 0x64, 0x00, 0x00,
                                               0x0C, 0x01, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00}));
    std::ostringstream stream;
    EXPECT_EQ(writer.Write(stream, nullptr), 22u);
    EXPECT_EQ(stream.str(), std::string(out.begin() + 1, out.end()));
    std::ofstream full("/dev/full", std::ios::binary);
    EXPECT_EQ(writer.Write(full, nullptr), 0u);
    writer.Destroy();
    EXPECT_EQ(writer.GetCount(), 0u);
    EXPECT_EQ(writer.GetFrameCount(), 0u);
}

TEST(SwfWriterTest, AGivenHeaderGetsTheLengthAndTheFrames) {
    CBK_SwfWriter writer;
    writer.Create(200, 200, 12.0f, 6);
    for (int i = 0; i < 3; ++i)
        writer.Add(new CBK_SwfShowFrame);
    CBK_SwfHeader header;
    header.Create(-40, 0, 200, 100, 15.0f, 5);
    Bytes out;
    EXPECT_EQ(writer.Write(out, &header), 24u);
    EXPECT_EQ(header.GetFileSize(), 25u);
    EXPECT_EQ(header.GetFrameCount(), 3);
    // Both writers refuse, rather than clamp, a movie the length field cannot describe.
    EXPECT_TRUE(CBK_SwfHeader::FitsFileSize(UINT32_MAX));
    EXPECT_FALSE(CBK_SwfHeader::FitsFileSize(uint64_t(UINT32_MAX) + 1));
    EXPECT_EQ(swftest::Hex(Bytes(out.begin(), out.begin() + 18)),
              swftest::Hex({0x46, 0x57, 0x53, 0x05, 0x19, 0x00, 0x00, 0x00, 0x4F, 0x61, 0x90, 0x00,
                            0x32, 0x00, 0x00, 0x0F, 0x03, 0x00}));
}

TEST(SwfWriterTest, TagsFollowTheMovieVersion) {
    for (uint8_t version : {5, 6}) {
        CBK_SwfWriter writer;
        writer.Create(200, 200, 12.0f, version);
        writer.Add(new CBK_SwfFrameLabel(L"\u00E9"));
        Bytes out;
        writer.Write(out, nullptr);
        // Latin-1 without the anchor byte before SWF 6; UTF-8 with it from SWF 6.
        const Bytes label = version == 5 ? Bytes{0xC2, 0x0A, 0xE9, 0x00}
                                         : Bytes{0xC4, 0x0A, 0xC3, 0xA9, 0x00, 0x00};
        EXPECT_EQ(swftest::Hex(Bytes(out.end() - 1 - label.size(), out.end() - 1)),
                  swftest::Hex(label));
    }
}

TEST(SwfWriterTest, MemoryAndStreamingWritersAgree) {
    PrivateFolders folders;
    for (uint8_t version : {5, 6, 7}) {
        SCOPED_TRACE(int(version));
        swfmovie::Tags streamed = swfmovie::TenFrameMovie();
        streamed.emplace(streamed.begin() + 2, new CBK_SwfFrameLabel(L"d\u00E9but"));
        CBK_SwfFileWriter fileWriter;
        fileWriter.Create(6400, 4800, 12.0f, version);
        const fs::path path = folders.Work() / "s.swf";
        ASSERT_TRUE(fileWriter.Open(CBK_Path(path.wstring()), true));
        for (auto& tag : streamed)
            fileWriter.Add(tag.release());
        ASSERT_GT(fileWriter.Close(), 0u);
        const std::string file = ReadFileBytes(path);

        swfmovie::Tags held = swfmovie::TenFrameMovie();
        held.emplace(held.begin() + 2, new CBK_SwfFrameLabel(L"d\u00E9but"));
        CBK_SwfWriter memoryWriter;
        memoryWriter.Create(6400, 4800, 12.0f, version);
        for (auto& tag : held)
            memoryWriter.Add(tag.release());
        Bytes memory;
        EXPECT_EQ(memoryWriter.Write(memory, nullptr), file.size());

        // The same bytes, but for the in-memory form's trailing byte, which its length counts.
        ASSERT_EQ(memory.size(), file.size() + 1);
        EXPECT_EQ(memory.back(), 0);
        EXPECT_EQ(swfmovie::U32At(memory, 4), file.size() + 1);
        memory.pop_back();
        const uint32_t length = static_cast<uint32_t>(file.size());
        std::memcpy(memory.data() + 4, &length, 4);
        EXPECT_EQ(memory, Bytes(file.begin(), file.end()));
    }
}

TEST(SwfWriterTest, AScriptThatCannotBeEncodedFailsTheMovie) {
    PrivateFolders folders;
    const fs::path path = folders.Work() / "m.swf";
    std::ofstream(path) << "old movie";
    swfmovie::Tags carriers = swfmovie::TagsWithUnencodableScripts();
    for (std::size_t i = 0; i < carriers.size(); ++i) {
        SCOPED_TRACE(i);
        CBK_SwfWriter memoryWriter;
        memoryWriter.Create(200, 200, 12.0f, 6);
        memoryWriter.Add(new CBK_SwfShowFrame);
        memoryWriter.Add(swfmovie::TagsWithUnencodableScripts()[i].release());
        memoryWriter.Add(new CBK_SwfEnd);
        Bytes out = {0xAA};
        EXPECT_EQ(memoryWriter.Write(out, nullptr), 0u);
        EXPECT_EQ(out, Bytes{0xAA});

        CBK_SwfFileWriter fileWriter;
        fileWriter.Create(200, 200, 12.0f, 6);
        ASSERT_TRUE(fileWriter.Open(CBK_Path(path.wstring()), true));
        fileWriter.Add(new CBK_SwfShowFrame);
        EXPECT_EQ(fileWriter.Add(carriers[i].release()), 0u);
        fileWriter.Add(new CBK_SwfEnd);
        EXPECT_EQ(fileWriter.Close(), 0u);
        EXPECT_EQ(ReadFileBytes(path), "old movie");
    }

    // An empty list is left out of a movie on purpose, which stays whole.
    CBK_SwfWriter writer;
    writer.Create(200, 200, 12.0f, 6);
    writer.Add(new CBK_SwfDoAction);
    writer.Add(new CBK_SwfEnd);
    Bytes out;
    EXPECT_EQ(writer.Write(out, nullptr), 20u); // header and End
}

} // namespace
