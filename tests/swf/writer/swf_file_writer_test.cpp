// The streaming writer: header patching, dropped tags, frame events, depth renumbering and
// reported failures.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/files/file_functions.h"
#include "platform/memory.h"
#include "swf/header/swf_header.h"
#include "swf/tags/remove_object.h"
#include "swf/writer/swf_file_writer.h"
#include "swf/writer/swf_writer.h"
#include "tests/support/private_folders.h"
#include "tests/swf/swf_test_support.h"
#include "tests/swf/writer/movie_support.h"
#include "tests/support/file_size_limit.h"

namespace {

namespace fs = std::filesystem;
using namespace ravuz;
using stravel::testing::PrivateFolders;
using stravel::testing::ReadFileBytes;
using stravel::testing::WriteFileBytes;
using swfmovie::Bytes;
using swfmovie::TagInfo;

CBK_Path PathOf(const fs::path& p) {
    return CBK_Path(p.wstring());
}

Bytes FileBytes(const fs::path& path) {
    const std::string s = ReadFileBytes(path);
    return Bytes(s.begin(), s.end());
}

CBK_SwfHeader HeaderOf(const Bytes& file) {
    auto reader = swftest::ReaderOver(file);
    CBK_SwfHeader header;
    header.Read(reader.get(), true);
    return header;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Counts how many tags are alive, to see which the writer frees.
struct Counted : CBK_SwfShowFrame {
    explicit Counted(int& alive) : _alive(alive) { ++_alive; }
    ~Counted() override { --_alive; }
    int& _alive;
};

class SwfFileWriterTest : public ::testing::Test {
protected:
    fs::path Work() const { return _folders.Work(); }
    PrivateFolders _folders;
};

TEST_F(SwfFileWriterTest, CloseRecordsTheLengthAndTheFrames) {
    CBK_SwfFileWriter writer;
    writer.Create(6400, 4800, 12.0f, 6);
    ASSERT_TRUE(writer.Open(PathOf(Work() / "m.swf"), false));
    EXPECT_FALSE(fs::exists(Work() / "m.swf")); // the name is taken only once complete
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(writer.Add(new CBK_SwfShowFrame), 2u);
    EXPECT_EQ(writer.Add(new CBK_SwfEnd), 2u);
    const uint32_t length = writer.Close();
    const Bytes file = FileBytes(Work() / "m.swf");
    ASSERT_EQ(length, file.size());
    EXPECT_EQ(swftest::Hex(Bytes(file.begin(), file.begin() + 21)),
              swftest::Hex({0x46, 0x57, 0x53, 0x06, static_cast<uint8_t>(length),
                            0x00, 0x00, 0x00, 0x70, 0x00,
                            0x0C, 0x80, 0x00, 0x00, 0x96,
                            0x00, 0x00, 0x0C, 0x0A, 0x00,
                            0x40}));
    EXPECT_EQ(length, 21u + 9 * 2 + 2 + 1);
    EXPECT_EQ(writer.Close(), 0u); // nothing open any more
    EXPECT_EQ(Names(Work()), std::vector<std::string>{"m.swf"});
    uint32_t creator = 0, type = 0;
    tbx::FSRef ref;
    ASSERT_TRUE(PathOf(Work() / "m.swf").GetFSRef(ref));
    if (BK_GetFileTypes(ref, creator, type)) {
        EXPECT_EQ(creator, tbx::FourCC("SWF2"));
        EXPECT_EQ(type, tbx::FourCC("SWFL"));
    }
}

TEST_F(SwfFileWriterTest, QuicktimeSizeOnlyGrowsWhatIsTooSmall) {
    struct Case {
        int32_t w, h;
        bool flag;
        int32_t wantW, wantH;
    };
    for (const Case& c :
         {Case{6400, 4800, true, 25600, 19200}, Case{6400, 4800, false, 6400, 4800},
          Case{30000, 4800, true, 30000, 19200}, Case{6400, 24000, true, 25600, 24000},
          Case{25600, 19200, true, 25600, 19200}}) {
        CBK_SwfFileWriter writer(c.flag);
        writer.Create(c.w, c.h, 12.0f, 6);
        ASSERT_TRUE(writer.Open(PathOf(Work() / "q.swf"), true));
        ASSERT_GT(writer.Close(), 0u);
        const CBK_SwfHeader header = HeaderOf(FileBytes(Work() / "q.swf"));
        EXPECT_EQ(header.GetWidth(), c.wantW) << c.w << " x " << c.h;
        EXPECT_EQ(header.GetHeight(), c.wantH) << c.w << " x " << c.h;
    }
    EXPECT_TRUE(CBK_SwfFileWriter::NeedsAdjustmentForQuicktimeConversion(25599, 19200));
    EXPECT_TRUE(CBK_SwfFileWriter::NeedsAdjustmentForQuicktimeConversion(25600, 19199));
    EXPECT_FALSE(CBK_SwfFileWriter::NeedsAdjustmentForQuicktimeConversion(25600, 19200));
}

TEST_F(SwfFileWriterTest, RepeatedLabelsAndIgnoredSoundAreDropped) {
    CBK_SwfFileWriter writer;
    writer.Create(2000, 2000, 12.0f, 6);
    ASSERT_TRUE(writer.Open(PathOf(Work() / "l.swf"), false));
    EXPECT_EQ(writer.Add(new CBK_SwfFrameLabel(L"a")), 5u); // with the anchor byte of SWF 6
    EXPECT_EQ(writer.Add(new CBK_SwfFrameLabel(L"b")), 5u);
    CBK_SwfFrameLabel kept(L"a");
    EXPECT_EQ(writer.Add(&kept, true), 0u); // dropped, and not freed
    EXPECT_EQ(kept.GetLabel(), L"a");
    EXPECT_EQ(writer.Add(new CBK_SwfFrameLabel(L"A")), 5u); // labels differ by case

    writer.IgnoreAudio(true);
    for (uint16_t code : {kSwfTagDefineSound, kSwfTagStartSound, kSwfTagDefineButtonSound,
                          kSwfTagSoundStreamHead, kSwfTagSoundStreamBlock})
        EXPECT_EQ(writer.Add(swfmovie::RawTag(code, {1, 2, 3})), 0u) << code;
    EXPECT_EQ(writer.Add(swfmovie::RawTag(kSwfTagSoundStreamHead2, {1, 2, 3, 4})), 6u);
    writer.IgnoreAudio(false);
    EXPECT_EQ(writer.Add(swfmovie::RawTag(kSwfTagSoundStreamBlock, {1})), 3u);
    EXPECT_EQ(writer.Add(nullptr), 0u);
    EXPECT_EQ(writer.Add(new CBK_SwfEnd), 2u);
    ASSERT_GT(writer.Close(), 0u);
    EXPECT_EQ(swfmovie::ListTags(FileBytes(Work() / "l.swf")),
              (std::vector<TagInfo>{{43, 3}, {43, 3}, {43, 3}, {45, 4}, {19, 1}, {0, 0}}));

    // A new file forgets the labels of the last one.
    ASSERT_TRUE(writer.Open(PathOf(Work() / "l2.swf"), false));
    EXPECT_EQ(writer.Add(new CBK_SwfFrameLabel(L"a")), 5u);
    ASSERT_GT(writer.Close(), 0u);
}

TEST_F(SwfFileWriterTest, TagsAreFreedUnlessKept) {
    int alive = 0;
    CBK_SwfFileWriter writer;
    auto* kept = new Counted(alive);
    EXPECT_EQ(writer.Add(new Counted(alive)), 0u); // nothing open: dropped
    EXPECT_EQ(writer.Add(kept, true), 0u);
    EXPECT_EQ(alive, 1);
    ASSERT_TRUE(writer.Open(PathOf(Work() / "f.swf"), false));
    EXPECT_EQ(writer.Add(new Counted(alive)), 2u);
    EXPECT_EQ(writer.Add(kept, true), 2u);
    EXPECT_EQ(alive, 1);
    delete kept;
    EXPECT_EQ(writer.GetFrameCount(), 2u);
}

struct FrameLog {
    void OnFrame(int32_t frame) { frames.push_back(frame); }
    std::vector<int32_t> frames;
};

TEST_F(SwfFileWriterTest, EveryShowFrameFiresItsNumber) {
    FrameLog log;
    CBK_SwfFileWriter writer;
    ASSERT_TRUE(writer.GetFrameEvent().AddHandler(BK_MakeDelegate(log, &FrameLog::OnFrame)));
    ASSERT_TRUE(writer.Open(PathOf(Work() / "e.swf"), false));
    writer.Add(new CBK_SwfShowFrame);
    writer.Add(new CBK_SwfEnd);
    writer.Add(new CBK_SwfShowFrame);
    writer.Add(new CBK_SwfShowFrame);
    EXPECT_EQ(log.frames, (std::vector<int32_t>{0, 1, 2}));
    ASSERT_TRUE(writer.Open(PathOf(Work() / "e2.swf"), false)); // closes e.swf first
    writer.Add(new CBK_SwfShowFrame);
    EXPECT_EQ(log.frames.back(), 0);
    EXPECT_EQ(HeaderOf(FileBytes(Work() / "e.swf")).GetFrameCount(), 3);
}

TEST_F(SwfFileWriterTest, FrameCountsBeyondTheFieldAreHeldAtItsLargest) {
    CBK_SwfFileWriter writer;
    writer.Create(200, 200, 30.0f, 6);
    ASSERT_TRUE(writer.Open(PathOf(Work() / "long.swf"), false));
    CBK_SwfShowFrame frame;
    for (int i = 0; i < 70000; ++i)
        writer.Add(&frame, true);
    EXPECT_EQ(writer.GetFrameCount(), 70000u);
    const uint32_t length = writer.Close();
    const Bytes file = FileBytes(Work() / "long.swf");
    ASSERT_EQ(length, file.size());
    const CBK_SwfHeader header = HeaderOf(file);
    EXPECT_EQ(header.GetFrameCount(), 65535);
    EXPECT_EQ(header.GetFileSize(), length);
    EXPECT_EQ(header.GetFrameRate(), 30.0f);
}

TEST_F(SwfFileWriterTest, FailuresAreReportedAndReplaceNothing) {
    WriteFileBytes(Work() / "old.swf", "old movie");
    CBK_SwfFileWriter writer;
    EXPECT_FALSE(writer.Open(PathOf(Work() / "old.swf"), false));
    EXPECT_FALSE(writer.Open(PathOf(Work()), true));
    EXPECT_FALSE(writer.Open(PathOf(Work() / "missing/m.swf"), true));
    EXPECT_FALSE(writer.Open(CBK_Path(L""), true));

    // A movie that is never closed leaves the old file and no temporary.
    {
        CBK_SwfFileWriter unfinished;
        ASSERT_TRUE(unfinished.Open(PathOf(Work() / "old.swf"), true));
        unfinished.Add(new CBK_SwfShowFrame);
    }
    EXPECT_EQ(ReadFileBytes(Work() / "old.swf"), "old movie");
    EXPECT_EQ(Names(Work()), std::vector<std::string>{"old.swf"});

    // A full disk (a file-size limit stands in) takes the bytes but not their end: Close
    // reports it. Big tags reach the disk at once, and the failure shows at the next write.
    EXPECT_TRUE(stravel::testing::UnderFileSizeLimit(10, [&] {
        if (!writer.Open(PathOf(Work() / "full.swf"), true))
            return false;
        writer.Add(new CBK_SwfShowFrame);
        writer.Add(new CBK_SwfEnd);
        const bool small = writer.Close() == 0u;
        return small && writer.Open(PathOf(Work() / "full.swf"), true) &&
               writer.Add(swfmovie::RawTag(kSwfTagVideoFrame, Bytes(100000, 7))) == 0u &&
               writer.Add(new CBK_SwfEnd) == 0u && writer.Close() == 0u;
    }));
    EXPECT_EQ(Names(Work()), std::vector<std::string>{"old.swf"});
}

TEST_F(SwfFileWriterTest, HighDepthsAreRenumberedInTheFile) {
    CBK_SwfFileWriter writer;
    writer.Create(2000, 2000, 12.0f, 6);
    ASSERT_TRUE(writer.Open(PathOf(Work() / "d.swf"), false));
    writer.TrackHighDepths(true);
    writer.TrackHighClipDepths(true);
    auto place = [](uint16_t depth, uint16_t clip, std::size_t nameLength) {
        auto* tag = new CBK_SwfPlaceObject2;
        tag->SetCharacterId(1);
        tag->SetDepth(depth);
        if (clip)
            tag->SetClipDepth(clip);
        // A long name makes the tag take the long header.
        tag->SetName(std::wstring(nameLength, L'n').c_str());
        return tag;
    };
    writer.Add(place(40000, 0, 1));
    // More than the writer gathers before a write: later depths lie past bytes already sent.
    for (int i = 0; i < 300; ++i)
        writer.Add(swfmovie::RawTag(kSwfTagVideoFrame, Bytes(4000, 7)));
    writer.Add(place(500, 41000, 70));
    writer.Add(new CBK_SwfRemoveObject2(40000));
    writer.Add(new CBK_SwfShowFrame);
    writer.TrackHighDepths(false);
    writer.Add(place(500, 0, 1)); // not tracked
    writer.Add(new CBK_SwfEnd);
    ASSERT_EQ(writer.GetHighDepthMap().size(), 4u);
    writer.ResolveHighDepths(10);
    ASSERT_GT(writer.Close(), 0u);

    // Depths 500, 40000 and 41000 become 11, 12 and 13 wherever they were recorded.
    const Bytes file = FileBytes(Work() / "d.swf");
    auto reader = std::make_unique<CBK_SwfReader>();
    reader->CreateFromBytes(file.data(), file.size(), 6);
    std::size_t at = swfmovie::HeaderEnd(file);
    std::vector<std::pair<uint16_t, uint16_t>> depths;
    for (const TagInfo& tag : swfmovie::ListTags(file)) {
        const std::size_t header = (file[at] & 0x3F) == 0x3F ? 6 : 2;
        const Bytes payload(file.begin() + at + header, file.begin() + at + header + tag.length);
        if (tag.code == kSwfTagPlaceObject2) {
            auto r = swftest::ReaderOver(payload);
            CBK_SwfPlaceObject2 back;
            back.Read(r.get());
            depths.emplace_back(back.GetDepth(), back.HasClipDepth() ? back.GetClipDepth() : 0);
        } else if (tag.code == kSwfTagRemoveObject2) {
            depths.emplace_back(swfmovie::U16At(payload, 0), 0);
        }
        at += header + tag.length;
    }
    EXPECT_EQ(depths,
              (std::vector<std::pair<uint16_t, uint16_t>>{{12, 0}, {11, 13}, {12, 0}, {500, 0}}));
}

TEST_F(SwfFileWriterTest, HandlesStreamsAndTimes) {
    CBK_SwfFileWriter writer;
    writer.Create(2000, 2000, 12.0f, 6);
    ASSERT_TRUE(writer.Open(PathOf(Work() / "h.swf"), false));
    tbx::Handle handle = tbx::NewHandle(3);
    std::memcpy(*handle, "\x40\x00\x40", 3);
    EXPECT_EQ(writer.Add(handle), 3u);
    EXPECT_EQ(handle, nullptr);
    tbx::Handle empty = tbx::NewHandle(0);
    EXPECT_EQ(writer.Add(empty), 0u);
    EXPECT_EQ(empty, nullptr);
    tbx::Handle none = nullptr;
    EXPECT_EQ(writer.Add(none), 0u);
    CBK_SwfStream bits(6);
    bits.Add(0x0u, 3); // an End tag's first bits, completed with zeros
    bits.Add(uint8_t(0));
    EXPECT_EQ(writer.Write(bits), 2u);
    const uint32_t length = writer.Close();
    const Bytes file = FileBytes(Work() / "h.swf");
    ASSERT_EQ(length, file.size());
    EXPECT_EQ(Bytes(file.end() - 5, file.end()), (Bytes{0x40, 0x00, 0x40, 0x00, 0x00}));

    EXPECT_EQ(writer.ConvertMsecToFrameNumber(1500), 18u);
    EXPECT_EQ(writer.ConvertMsecToFrameNumber(40), 0u); // 0.48 rounds down
    EXPECT_EQ(writer.ConvertMsecToFrameNumber(42), 1u);
    EXPECT_EQ(writer.ConvertFrameNumberToMsec(18), 1500u);
    EXPECT_EQ(writer.ConvertFrameNumberToMsec(1), 83u);
    EXPECT_EQ(writer.ConvertMsecToFrameNumber(UINT32_MAX), 51539608u);
    writer.Create(2000, 2000, 29.97f, 6);
    EXPECT_EQ(writer.ConvertMsecToFrameNumber(1000), 30u);
    writer.Create(2000, 2000, 0.0f, 6);
    EXPECT_EQ(writer.ConvertMsecToFrameNumber(1000), 0u);
    EXPECT_EQ(writer.ConvertFrameNumberToMsec(10), 0u); // no division by a rate of 0
    writer.Create(2000, 2000, 0.001f, 6);
    EXPECT_EQ(writer.ConvertFrameNumberToMsec(UINT32_MAX), UINT32_MAX);
}

} // namespace
