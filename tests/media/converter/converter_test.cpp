#include <gtest/gtest.h>

#include <cstring>

#include "core/strings/cf_string.h"
#include "media/converter/atom_parser.h"
#include "media/converter/quicktime_converter.h"
#include "platform/memory.h"
#include "platform/windows/test_driver.h"
#include "tests/support/windowing_fixture.h"

namespace {

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> data;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            data.push_back(uint8_t(w >> (24 - 8 * i)));
    return data;
}

class Container {
public:
    explicit Container(const tbx::QTAtomNode& root) : handle(tbx::NewAtomContainer(root)) {}
    ~Container() { tbx::DisposeHandle(handle); }
    tbx::QTAtomContainer handle;
};

std::u16string TimeText(CBK_QuicktimeConverterProgressDialog& dialog) {
    tbx::test::ControlState state;
    tbx::test::ReadControl(tbx::test::FindControl(dialog.GetWindowHandle(), tbx::FourCC("tTim"), 0),
                           state);
    return state.text.empty() ? state.title : state.text;
}

using ConverterProgress = stravel::testing::WindowingTest;

} // namespace

TEST(QuicktimeConverter, RemainingTime) {
    EXPECT_EQ(CBK_QuicktimeConverter::EstimateRemainingTime(0x8000, 600), 10);
    EXPECT_EQ(CBK_QuicktimeConverter::EstimateRemainingTime(0, 600), 0);
    EXPECT_EQ(CBK_QuicktimeConverter::EstimateRemainingTime(0x1999A, 0), 0);
    // A tenth done after 40,000 ticks: 9 × 40,000 ticks to go.
    EXPECT_EQ(CBK_QuicktimeConverter::EstimateRemainingTime(6554, 40000), 5999);
    CBK_QuicktimeConverter converter;
    std::wstring missing = L"/nonexistent/movie.mov";
    EXPECT_FALSE(converter.Open(missing));
    CBK_QuicktimeConverter::CONVERTER_SETTINGS settings;
    settings.m_bShowProgress = true;
    EXPECT_TRUE(converter.SetSettings(&settings));
    EXPECT_FALSE(converter.SetSettings(nullptr));
    EXPECT_FALSE(converter.ConvertToMov(missing, &settings)) << "no movie";
}

TEST_F(ConverterProgress, TimeTextsAndCancel) {
    CBK_QuicktimeConverter converter;
    ASSERT_EQ(converter.OnMovieProgressProc(CBK_QuicktimeConverter::kProgressOpen, 0), 0);
    CBK_QuicktimeConverterProgressDialog* dialog = converter.GetProgressDialog();
    ASSERT_NE(dialog, nullptr);
    const std::pair<int32_t, const char16_t*> cases[] = {{1, u"less than 1 second"},
                                                         {45, u"45 seconds"},
                                                         {60, u"60 seconds"},
                                                         {125, u"3 minutes"},
                                                         {-7, u"less than 1 second"}};
    for (const auto& [seconds, text] : cases) {
        dialog->SetTimeRemaining(seconds);
        EXPECT_EQ(TimeText(*dialog), text) << seconds;
    }
    EXPECT_EQ(converter.OnMovieProgressProc(CBK_QuicktimeConverter::kProgressUpdate, 0x8000), 0);
    tbx::EventRef event = nullptr;
    EXPECT_TRUE(dialog->OnCommand(tbx::FourCC("not!"), event));
    EXPECT_TRUE(converter.IsCancelled());
    EXPECT_EQ(converter.OnMovieProgressProc(CBK_QuicktimeConverter::kProgressUpdate, 0x9000), -128);
}

TEST_F(ConverterProgress, TheShownWindowsCancelIsInTheSystemFontAndAnswersReturnAndEscape) {
    for (tbx::UInt16 key : {36, 53}) {
        CBK_QuicktimeConverter converter;
        ASSERT_EQ(converter.OnMovieProgressProc(CBK_QuicktimeConverter::kProgressOpen, 0), 0);
        tbx::WindowRef window = converter.GetProgressDialog()->GetWindowHandle();
        EXPECT_EQ(tbx::test::FocusedWindow(), window);
        tbx::test::ControlState cancel;
        ASSERT_TRUE(
            tbx::test::ReadControl(tbx::test::FindControl(window, tbx::FourCC("not!"), 0), cancel));
        EXPECT_EQ(cancel.fontStyle.flags, tbx::kControlUseFontMask);
        EXPECT_EQ(cancel.fontStyle.font, -1);
        tbx::test::PressKey(key);
        EXPECT_TRUE(converter.IsCancelled()) << key;
        EXPECT_EQ(converter.OnMovieProgressProc(CBK_QuicktimeConverter::kProgressUpdate, 0), -128);
    }
}

TEST(QuicktimeAtomParser, ReadsSizesRatesAndDv) {
    tbx::QTAtomNode root;
    tbx::QTAtomNode& video = root.Insert(tbx::FourCC("vide"));
    video.Insert(tbx::FourCC("sptl"), Words({tbx::FourCC("dvcp"), 0, 24, 0x200}));
    Container dv(root);
    CBK_QuicktimeAtomParser parser;
    ASSERT_TRUE(parser.Parse(dv.handle));
    EXPECT_EQ(parser.GetWidth(), 720);
    EXPECT_EQ(parser.GetHeight(), 576);
    EXPECT_TRUE(parser.IsDV());
    // Spatial settings as stored: codec type, codec, a 16-bit depth and the quality.
    tbx::QTAtomNode ntsc;
    std::vector<uint8_t> spatial = Words({tbx::FourCC("dvc "), 0, 0x00180000, 0x02000000});
    spatial.resize(14);
    ntsc.Insert(tbx::FourCC("vide")).Insert(tbx::FourCC("sptl"), spatial);
    Container stored(ntsc);
    parser.Reset();
    ASSERT_TRUE(parser.Parse(stored.handle));
    EXPECT_EQ(parser.GetHeight(), 480);

    tbx::QTAtomNode empty;
    empty.Insert(tbx::FourCC("time"));
    Container none(empty);
    parser.Reset();
    EXPECT_FALSE(parser.Parse(none.handle));
    EXPECT_EQ(parser.GetWidth() + parser.GetHeight(), 0);
    EXPECT_FALSE(parser.Parse(nullptr));

    // Short temporal settings are not read past their end.
    tbx::QTAtomNode shortRoot;
    shortRoot.Insert(tbx::FourCC("vide")).Insert(tbx::FourCC("tprl"), Words({0, 0x1E0000}));
    Container shortened(shortRoot);
    parser.Reset();
    EXPECT_FALSE(parser.Parse(shortened.handle));
    EXPECT_EQ(parser.GetFrameRate(), 0.0f);

    // Written settings read back.
    parser.Reset();
    ASSERT_TRUE(parser.SetAtomData(none.handle, 320, 240, 29.97f));
    ASSERT_TRUE(parser.Parse(none.handle));
    EXPECT_EQ(parser.GetWidth(), 320);
    EXPECT_EQ(parser.GetHeight(), 240);
    EXPECT_NEAR(parser.GetFrameRate(), 29.97, 1e-4);
    ASSERT_TRUE(parser.SetAtomDataDimensions(none.handle, 640, 480));
    ASSERT_TRUE(parser.SetAtomDataFramerate(none.handle, 15.0f));
    parser.Reset();
    ASSERT_TRUE(parser.Parse(none.handle));
    EXPECT_EQ(parser.GetWidth(), 640);
    EXPECT_EQ(parser.GetFrameRate(), 15.0f);

    // A size field that leaves the container: refused.
    std::memset(*none.handle + 12, 0x7F, 4);
    EXPECT_FALSE(parser.Parse(none.handle));
}

TEST(QuicktimeAtomParser, RateKeepsToTimeSettingsUntilTemporalOnesExist) {
    const uint32_t kVideo = tbx::FourCC("vide"), kTime = tbx::FourCC("time"),
                   kFps = tbx::FourCC("fps "), kTemporal = tbx::FourCC("tprl");
    tbx::QTAtomNode root;
    root.Insert(kTime).Insert(kFps, {0, 1}); // short: widened, not read past its end
    Container settings(root);
    CBK_QuicktimeAtomParser parser;
    ASSERT_TRUE(parser.SetAtomDataFramerate(settings.handle, 12.5f));
    tbx::QTAtomNode read;
    ASSERT_TRUE(tbx::ReadAtomContainer(settings.handle, read));
    EXPECT_EQ(read.Find(kTime)->Find(kFps)->data, Words({0xC8000}));
    EXPECT_TRUE(!read.Find(kVideo) || !read.Find(kVideo)->Find(kTemporal));

    // The full settings write both.
    ASSERT_TRUE(parser.SetAtomData(settings.handle, 8, 8, 25.0f));
    read = {};
    ASSERT_TRUE(tbx::ReadAtomContainer(settings.handle, read));
    EXPECT_EQ(read.Find(kTime)->Find(kFps)->data, Words({0x190000}));
    ASSERT_NE(read.Find(kVideo), nullptr);
    ASSERT_NE(read.Find(kVideo)->Find(kTemporal), nullptr);
    EXPECT_EQ(read.Find(kVideo)->Find(kTemporal)->data, Words({0, 0x190000, 0}));
}
