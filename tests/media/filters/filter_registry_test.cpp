#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/xml/xml_reader.h"
#include "media/filters/blur_filters.h"
#include "media/filters/convolution_filters.h"
#include "media/filters/deinterlace_filter.h"
#include "media/filters/distort_filters.h"
#include "media/filters/filter_manager.h"
#include "media/filters/median_filters.h"
#include "media/filters/noise_filters.h"
#include "media/filters/relief_filters.h"
#include "media/filters/tone_filters.h"
#include "tests/media/media_test_support.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

struct Managers {
    Managers() {
        manager = CBK_ImageFilterManager::CreateManager(0);
        manager->BuildList();
    }
    ~Managers() { CBK_ImageFilterManager::DestroyManagers(); }
    CBK_ImageFilterManager* manager;
};

std::vector<std::wstring> Names(const CBK_ImageFilterManager& manager) {
    std::vector<std::wstring> names;
    for (std::size_t i = 0; i < manager.GetCount(); ++i)
        names.push_back(manager.GetFilter(i)->GetFilterName());
    return names;
}

TEST(FilterRegistryTest, PrototypesInDescendingNameOrder) {
    Managers m;
    const std::vector<std::wstring> order = {
        L"Swirl",  L"Solarize",      L"Sharpen",   L"Shade",
        L"Sepia",  L"Reduce Noise",  L"Oil Paint", L"Motion Blur",
        L"Median", L"Implode",       L"Grayscale", L"Gaussian Blur",
        L"Emboss", L"Edge",          L"Despeckle", L"Brightness/Contrast",
        L"Blur",   L"Black & White", L"Add Noise"};
    EXPECT_EQ(Names(*m.manager), order);
    m.manager->BuildList();
    EXPECT_EQ(m.manager->GetCount(), 19u);
    EXPECT_FALSE(m.manager->AddFilter(nullptr));
    EXPECT_EQ(m.manager->GetCount(), 19u);
    // An equal name goes before the one already there.
    auto* second = new CBK_ImageFilterBlur;
    ASSERT_TRUE(m.manager->AddFilter(second));
    EXPECT_EQ(m.manager->GetFilter(16), second);

    EXPECT_EQ(CBK_ImageFilterManager::CreateManager(0), nullptr);
    EXPECT_EQ(CBK_ImageFilterManager::GetManager(0), m.manager);
    EXPECT_EQ(CBK_ImageFilterManager::GetManager(1), nullptr);
    EXPECT_FALSE(CBK_ImageFilterManager::DestroyManager(1));
    ASSERT_NE(CBK_ImageFilterManager::CreateManager(1), nullptr);
    EXPECT_TRUE(CBK_ImageFilterManager::DestroyManager(1));
    EXPECT_EQ(CBK_ImageFilterManager::GetManager(1), nullptr);
}

// One filter per row: how it is configured and its element, in both directions.
struct Golden {
    std::function<CBK_ImageFilter*()> make;
    const char* element;
};

std::vector<Golden> GoldenTable() {
    return {
        {[] {
             auto* f = new CBK_ImageFilterAddNoise;
             f->SetNoiseType(5);
             return f;
         },
         "<filter name=\"Add Noise\" type=\"poisson\" />"},
        {[] {
             auto* f = new CBK_ImageFilterAddNoise;
             f->SetNoiseType(2);
             return f;
         },
         "<filter name=\"Add Noise\" type=\"mult_gaussian\" />"},
        {[] {
             auto* f = new CBK_ImageFilterBlackWhite;
             f->SetThreshold(300);
             return f;
         },
         "<filter name=\"Black &amp; White\" threshold=\"300\" />"},
        {[] { return new CBK_ImageFilterBlur; }, "<filter name=\"Blur\" />"},
        {[] {
             auto* f = new CBK_ImageFilterBrightness;
             f->SetBrightnessThreshold(-50);
             f->SetContrastThreshold(25);
             return f;
         },
         "<filter name=\"Brightness/Contrast\" brightness=\"-50\" contrast=\"25\" />"},
        {[] { return new CBK_ImageFilterDespeckle; }, "<filter name=\"Despeckle\" />"},
        {[] {
             auto* f = new CBK_ImageFilterEdge;
             f->SetRadius(2.5);
             return f;
         },
         "<filter name=\"Edge\" radius=\"2.5\" />"},
        {[] { return new CBK_ImageFilterEmboss; }, "<filter name=\"Emboss\" />"},
        {[] { return new CBK_ImageFilterGaussianBlur; },
         "<filter name=\"Gaussian Blur\" radius=\"5\" />"},
        {[] { return new CBK_ImageFilterGrayscale; }, "<filter name=\"Grayscale\" />"},
        {[] {
             auto* f = new CBK_ImageFilterImplode;
             f->SetAmount(70);
             return f;
         },
         "<filter name=\"Implode\" amount=\"70\" />"},
        {[] {
             auto* f = new CBK_ImageFilterMedian;
             f->SetThreshold(50);
             return f;
         },
         "<filter name=\"Median\" threshold=\"50\" />"},
        {[] { return new CBK_ImageFilterMotionBlur; }, "<filter name=\"Motion Blur\" />"},
        {[] {
             auto* f = new CBK_ImageFilterOilPaint;
             f->SetThreshold(80);
             return f;
         },
         "<filter name=\"Oil Paint\" threshold=\"80\" />"},
        {[] { return new CBK_ImageFilterReduceNoise; }, "<filter name=\"Reduce Noise\" />"},
        {[] { return new CBK_ImageFilterSepia; }, "<filter name=\"Sepia\" />"},
        {[] { return new CBK_ImageFilterShade; }, "<filter name=\"Shade\" />"},
        {[] { return new CBK_ImageFilterSharpen; }, "<filter name=\"Sharpen\" />"},
        {[] { return new CBK_ImageFilterSolarize; }, "<filter name=\"Solarize\" />"},
        {[] {
             auto* f = new CBK_ImageFilterSwirl;
             f->SetAngle(90);
             return f;
         },
         "<filter name=\"Swirl\" angle=\"90\" />"},
    };
}

std::string Write(const std::filesystem::path& path,
                  const std::vector<std::unique_ptr<CBK_ImageFilter>>& chain) {
    CBK_XmlWriter writer;
    EXPECT_TRUE(writer.Create(mediatest::PathOf(path), {}, true));
    for (const auto& filter : chain)
        EXPECT_TRUE(filter->WriteXml(writer));
    EXPECT_TRUE(writer.Close());
    return ReadFileBytes(path);
}

// Every child named "filter" through manager 0; nulls are dropped.
std::vector<std::unique_ptr<CBK_ImageFilter>> Read(const std::filesystem::path& path) {
    std::vector<std::unique_ptr<CBK_ImageFilter>> chain;
    CBK_XmlDomParser parser;
    CBK_XmlDomNode root;
    CBK_XmlDomNodeList children;
    EXPECT_TRUE(parser.LoadFile(mediatest::PathOf(path)));
    EXPECT_TRUE(parser.GetRootNode(root));
    root.GetChildren(children);
    for (int32_t i = 0; i < children.GetListLength(); ++i) {
        CBK_XmlDomNode child;
        if (!children.GetChild(i, child) || child.GetNodeName() != L"filter")
            continue;
        if (CBK_ImageFilter* filter = CBK_ImageFilterManager::GetManager(0)->ReadXml(child))
            chain.emplace_back(filter);
    }
    return chain;
}

TEST(FilterRegistryTest, ChainsRoundTripThroughTheirXmlForm) {
    Managers m;
    TempDir dir;
    std::vector<std::unique_ptr<CBK_ImageFilter>> chain;
    std::string expected = "<xml version=\"1.0\" encoding=\"UTF-8\">\n";
    for (const Golden& row : GoldenTable()) {
        chain.emplace_back(row.make());
        expected += std::string(row.element) + "\n";
    }
    expected += "\n</xml>\n"; // the writer's closing line
    EXPECT_EQ(Write(dir / "chain.xml", chain), expected);
    if (stravel::testing::HaveTool("xmllint")) {
        EXPECT_EQ(RunTool({"xmllint", "--noout", (dir / "chain.xml").string()}).exitCode, 0);
    }

    const auto read = Read(dir / "chain.xml");
    ASSERT_EQ(read.size(), chain.size());
    EXPECT_EQ(Write(dir / "again.xml", read), expected);
    // Types come back, not only text: the median's window setting and the raw threshold.
    EXPECT_EQ(dynamic_cast<CBK_ImageFilterMedian&>(*read[11]).GetThreshold(), 50);
    EXPECT_EQ(dynamic_cast<CBK_ImageFilterBlackWhite&>(*read[2]).GetThreshold(), 300);
}

TEST(FilterRegistryTest, UnknownNamesAndKeywordsOnReading) {
    Managers m;
    TempDir dir;
    WriteFileBytes(dir / "odd.xml",
                   "<xml>\n"
                   "<filter name=\"blur\" />\n<filter name=\"Raise Borders\" width=\"3\" />\n"
                   "<filter name=\"Fast Blur\" />\n<filter name=\"Fade Edge\" />\n"
                   "<filter name=\"Deinterlace\" />\n<filter />\n<filter type=\"uniform\" />\n"
                   "<filters name=\"Blur\" />\n"
                   "<filter name=\"Add Noise\" type=\"Poisson\" />\n"
                   "<filter name=\"Add Noise\" type=\"impulse\" />\n"
                   "<filter name=\"Median\" />\n"
                   "<filter name=\"Motion Blur\" threshold=\"99\" />\n"
                   "<filter name=\"Gaussian Blur\" radius=\"1e4\" />\n"
                   "</xml>\n");
    const auto read = Read(dir / "odd.xml");
    ASSERT_EQ(read.size(), 5u);
    EXPECT_EQ(dynamic_cast<CBK_ImageFilterAddNoise&>(*read[0]).GetNoiseType(), 1);
    EXPECT_EQ(dynamic_cast<CBK_ImageFilterAddNoise&>(*read[1]).GetNoiseType(), 3);
    EXPECT_EQ(dynamic_cast<CBK_ImageFilterMedian&>(*read[2]).GetThreshold(), 20);
    EXPECT_EQ(dynamic_cast<CBK_ImageFilterMotionBlur&>(*read[3]).GetThreshold(), 10);
    // Stored as read; the filter itself works with at most 10.
    EXPECT_EQ(dynamic_cast<CBK_ImageFilterGaussianBlur&>(*read[4]).GetRadius(), 1e4);
    CBK_Image image;
    ASSERT_TRUE(image.Create(2, 2, 24, nullptr, false));
    image.Fill(0x102030);
    EXPECT_TRUE(read[4]->Filter(image));
    EXPECT_EQ(image.GetData()[0], 0x30);
}

struct Counter {
    int fired = 0;
    void OnChanged(CBK_ImageFilter*) { ++fired; }
};

TEST(FilterRegistryTest, SettersFireOnChangeAndCopiesKeepSettingsOnly) {
    CBK_ImageFilterSwirl swirl;
    Counter counter;
    swirl.m_evSettingsChanged.AddHandler(BK_MakeDelegate(counter, &Counter::OnChanged));
    swirl.SetAngle(180);
    EXPECT_EQ(counter.fired, 0);
    swirl.SetAngle(370);
    EXPECT_EQ(swirl.GetAngle(), 10);
    swirl.SetAngle(-370);
    EXPECT_EQ(swirl.GetAngle(), -10);
    EXPECT_EQ(counter.fired, 2);
    std::unique_ptr<CBK_ImageFilter> copy(swirl.MakeCopy());
    EXPECT_EQ(dynamic_cast<CBK_ImageFilterSwirl&>(*copy).GetAngle(), -10);
    EXPECT_EQ(copy->GetFilterName(), L"Swirl");
    EXPECT_FALSE(copy->m_evSettingsChanged.Fire(copy.get())); // no handlers came along

    std::unique_ptr<CBK_ImageFilter> plain(CBK_ImageFilterContrast().MakeCopy());
    EXPECT_EQ(plain->GetFilterName(), L"");
    std::unique_ptr<CBK_ImageFilter> deinterlace(CBK_ImageFilterDeinterlace().MakeCopy());
    EXPECT_EQ(dynamic_cast<CBK_ImageFilterDeinterlace&>(*deinterlace).GetThreshold(), 400u);
}

} // namespace
