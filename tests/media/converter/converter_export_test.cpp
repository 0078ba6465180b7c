// Conversions to QuickTime and AVI movies through the exporter's settings dialog, answered by
// the test driver, with the converter's progress window; ffprobe reads the results.
#include <gtest/gtest.h>

#include <filesystem>

#include "media/converter/atom_parser.h"
#include "media/converter/quicktime_converter.h"
#include "platform/memory.h"
#include "platform/movie/movie_export.h"
#include "platform/windows/controls.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/media_probe.h"
#include "tests/support/tools.h"
#include "tests/support/windowing_fixture.h"
#include "ui/controls/edit_box.h"

namespace {

namespace test = tbx::test;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using tbx::FourCC;

constexpr tbx::SInt32 kDialog = 20000;

// What the user chooses in the settings dialog; empty texts leave a box as it is.
struct Choice {
    int codecItem = -1;
    std::u16string width, height, rate;
    bool toggleSound = false;
    bool cancel = false;
};

// Watches the export through the movie's progress procedure, in front of the converter's own,
// and may press Cancel in the progress window at the first report.
struct Watcher {
    CBK_QuicktimeConverter* converter = nullptr;
    tbx::MovieProgressProcPtr inner = nullptr;
    void* innerRef = nullptr;
    bool cancel = false;
    bool shown = true;
    std::vector<tbx::SInt32> bar;
    std::u16string dialogTexts; // width, height and rate as the dialog first showed them

    static tbx::OSErr Proc(tbx::Movie* movie, tbx::SInt16 message, tbx::SInt16 operation,
                           tbx::SInt32 done, void* refCon) {
        Watcher* self = static_cast<Watcher*>(refCon);
        CBK_QuicktimeConverterProgressDialog* window = self->converter->GetProgressDialog();
        if (message == tbx::movieProgressUpdatePercent && self->cancel && window &&
            self->bar.empty())
            test::ClickControl(window->GetWindowHandle(), FourCC("not!"), 0);
        const tbx::OSErr result = self->inner(movie, message, operation, done, self->innerRef);
        if (message == tbx::movieProgressUpdatePercent) {
            window = self->converter->GetProgressDialog();
            test::ControlState state;
            self->shown &=
                window && tbx::IsWindowVisible(window->GetWindowHandle()) &&
                test::ReadControl(test::FindControl(window->GetWindowHandle(), FourCC("pPbr"), 0),
                                  state);
            self->bar.push_back(state.value);
        }
        return result;
    }
};

// Scripts the dialog's answer; the watcher takes over the progress procedure once the
// converter has installed its own.
void Answer(const Choice& choice, CBK_QuicktimeConverter& converter, Watcher& watcher) {
    test::Script([&watcher, choice] {
        tbx::WindowRef window = test::FocusedWindow();
        test::ControlState state;
        for (tbx::OSType code : {FourCC("eWid"), FourCC("eHgt"), FourCC("eFps")})
            if (test::ReadControl(test::FindControl(window, code, kDialog), state))
                watcher.dialogTexts += state.text + u" ";
        if (choice.cancel)
            test::ClickControl(window, FourCC("not!"), kDialog);
        else if (choice.codecItem >= 0)
            test::ChangeValue(window, FourCC("cCdc"), kDialog, choice.codecItem + 1);
    });
    if (choice.cancel)
        return;
    // One box a step: typed keys go to the box that has the focus when the step ends.
    for (const auto& [code, text] : {std::pair{FourCC("eWid"), choice.width},
                                     {FourCC("eHgt"), choice.height},
                                     {FourCC("eFps"), choice.rate}})
        if (!text.empty())
            test::Script([code, text] {
                tbx::WindowRef window = test::FocusedWindow();
                tbx::ControlRef edit = test::FindControl(window, code, kDialog);
                tbx::SetKeyboardFocus(window, edit, 1);
                BK_SetEditTextControlText(L"", edit);
                test::TypeText(text);
            });
    test::Script([&, choice] {
        tbx::WindowRef window = test::FocusedWindow();
        if (choice.toggleSound)
            test::ClickControl(window, FourCC("cSnd"), kDialog);
        watcher.converter = &converter;
        tbx::Movie* movie = converter.GetMovie().GetMovie();
        watcher.inner = tbx::GetMovieProgressProc(movie, &watcher.innerRef);
        if (watcher.inner)
            tbx::SetMovieProgressProc(movie, Watcher::Proc, &watcher);
        test::ClickControl(window, FourCC("ok  "), kDialog);
    });
}

// Where the compressor stands in the dialog of the exporter.
int CodecItem(tbx::OSType exporterType, tbx::OSType codec) {
    const tbx::ComponentDescription looking{tbx::MovieExportType, exporterType, 0, 0, 0};
    tbx::ComponentInstance exporter = tbx::OpenComponent(tbx::FindNextComponent(nullptr, &looking));
    std::vector<tbx::MovieExportCodec> codecs;
    tbx::MovieExportGetCodecs(exporter, codecs);
    tbx::CloseComponent(exporter);
    for (std::size_t i = 0; i < codecs.size(); ++i)
        if (codecs[i].type == codec)
            return int(i);
    ADD_FAILURE() << "no such compressor";
    return -1;
}

class ConverterExport : public stravel::testing::WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        STRAVEL_REQUIRE_TOOL("ffprobe");
        clip = dir / "clip.mov";
        ASSERT_TRUE(stravel::testing::MakeTestClip(clip));
        source = clip.wstring();
        settings.m_bShowProgress = true;
    }

    std::size_t Entries() const {
        return std::size_t(std::distance(std::filesystem::directory_iterator(dir.Path()),
                                         std::filesystem::directory_iterator()));
    }

    TempDir dir;
    std::filesystem::path clip;
    std::wstring source;
    CBK_QuicktimeConverter::CONVERTER_SETTINGS settings;
};

} // namespace

TEST_F(ConverterExport, MovAndAviWithTheChosenSettings) {
    struct Case {
        bool avi;
        tbx::OSType codec;
        Choice choice;
        const char* probed;
        const char* size[2];
        const char* rate;
        int frames;
        bool sound;
    };
    const Case cases[] = {
        {false,
         FourCC("mp4v"),
         {-1, u"81", u"45", u"10", true},
         "mpeg4",
         {"80", "44"},
         "10/1",
         20,
         false},
        {true,
         FourCC("jpeg"),
         {-1, u"", u"", u"12.5", false},
         "mjpeg",
         {"96", "60"},
         "25/2",
         25,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.probed);
        CBK_QuicktimeConverter converter;
        ASSERT_TRUE(converter.Open(source));
        Choice choice = c.choice;
        choice.codecItem = CodecItem(c.avi ? FourCC("VfW ") : FourCC("MooV"), c.codec);
        Watcher watcher;
        Answer(choice, converter, watcher);
        std::wstring out = (dir / (c.avi ? "out.avi" : "out.mov")).wstring();
        ASSERT_TRUE(c.avi ? converter.ConvertToAvi(out, &settings)
                          : converter.ConvertToMov(out, &settings));
        EXPECT_EQ(watcher.dialogTexts, u"97 61 25.00 ") << "the movie's own size and rate";

        auto probe = stravel::testing::ProbeStreams(out);
        EXPECT_EQ(probe["streams.stream.0.codec_name"], c.probed);
        EXPECT_EQ(probe["streams.stream.0.width"], c.size[0]);
        EXPECT_EQ(probe["streams.stream.0.height"], c.size[1]);
        EXPECT_EQ(probe["streams.stream.0.avg_frame_rate"], c.rate);
        EXPECT_EQ(probe["streams.stream.0.nb_read_frames"], std::to_string(c.frames));
        EXPECT_NEAR(std::stod(probe["format.duration"]), 2.0, 2.0 / c.frames);
        EXPECT_EQ(probe["streams.stream.1.codec_type"], c.sound ? "audio" : "");

        // The progress window showed the whole way to 100 and went at the end.
        ASSERT_EQ(watcher.bar.size(), std::size_t(c.frames));
        EXPECT_TRUE(watcher.shown);
        EXPECT_TRUE(std::is_sorted(watcher.bar.begin(), watcher.bar.end()));
        EXPECT_EQ(watcher.bar.back(), 100);
        EXPECT_EQ(converter.GetProgressDialog(), nullptr);
        EXPECT_TRUE(test::VisibleWindows().empty());
    }
}

TEST_F(ConverterExport, CancelErrorsAndAFullDiskLeaveNoFile) {
    CBK_QuicktimeConverter converter;
    ASSERT_TRUE(converter.Open(source));
    std::wstring out = (dir / "out.mov").wstring();
    Watcher watcher;
    // Cancel in the settings dialog: no export at all.
    Choice cancel;
    cancel.cancel = true;
    Answer(cancel, converter, watcher);
    EXPECT_FALSE(converter.ConvertToMov(out, &settings));
    // Cancel in the progress window: the export stops, the window goes.
    watcher.cancel = true;
    Answer(Choice{}, converter, watcher);
    EXPECT_FALSE(converter.ConvertToMov(out, &settings));
    EXPECT_EQ(watcher.bar.size(), 1u);
    EXPECT_TRUE(test::VisibleWindows().empty());
    EXPECT_EQ(Entries(), 1u) << "only the source";

    // A folder that cannot be written; a disk that fills up.
    std::wstring nowhere = (clip / "out.avi").wstring();
    Answer(Choice{}, converter, watcher);
    EXPECT_FALSE(converter.ConvertToAvi(nowhere, &settings));
    Answer(Choice{}, converter, watcher);
    EXPECT_FALSE(stravel::testing::UnderFileSizeLimit(
        4096, [&] { return converter.ConvertToAvi(out, &settings); }));
    EXPECT_EQ(Entries(), 1u);

    // The converter is not left cancelled: the next conversion is written.
    watcher = Watcher{};
    Answer(Choice{}, converter, watcher);
    EXPECT_TRUE(converter.ConvertToMov(out, &settings));
    EXPECT_EQ(Entries(), 2u);
}

TEST(ConverterExportSettings, TheAtomParserReadsWhatTheDialogKeeps) {
    tbx::MovieExportSettings chosen;
    chosen.codec = FourCC("jpeg");
    chosen.width = 640;
    chosen.height = 360;
    chosen.frameRate = 29.97;
    tbx::QTAtomContainer container = tbx::NewHandle(0);
    ASSERT_TRUE(tbx::WriteMovieExportSettings(chosen, container));
    CBK_QuicktimeAtomParser parser;
    ASSERT_TRUE(parser.Parse(container));
    EXPECT_EQ(parser.GetWidth(), 640);
    EXPECT_EQ(parser.GetHeight(), 360);
    EXPECT_NEAR(parser.GetFrameRate(), 29.97, 1e-4);
    EXPECT_EQ(parser.GetSpatialSettings()[0], FourCC("jpeg"));
    EXPECT_EQ(parser.GetSpatialSettings()[3], uint32_t(tbx::codecNormalQuality));
    // What the parser writes, the exporter reads.
    ASSERT_TRUE(parser.SetAtomData(container, 320, 180, 15.0f));
    tbx::MovieExportSettings back;
    ASSERT_TRUE(tbx::ReadMovieExportSettings(container, back));
    EXPECT_EQ(back.width, 320);
    EXPECT_EQ(back.height, 180);
    EXPECT_EQ(back.frameRate, 15.0);
    EXPECT_EQ(back.codec, FourCC("jpeg"));
    tbx::DisposeHandle(container);
}
