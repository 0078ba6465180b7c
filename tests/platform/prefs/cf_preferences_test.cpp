#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "platform/cf_data.h"
#include "platform/cf_number.h"
#include "platform/prefs/cf_preferences.h"
#include "platform/prefs/property_list.h"
#include "tests/support/prefs_fixture.h"

namespace {

using namespace tbx;
using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::WriteFileBytes;

// Stands in for the writer the application installs; it reports whether the bytes landed.
bool PlainWriter(const std::string& path, std::string_view bytes) {
    WriteFileBytes(path, std::string(bytes));
    return ReadFileBytes(path) == bytes;
}

class CFPreferencesTest : public stravel::testing::PrefsFolderTest {
protected:
    void SetUp() override {
        PrefsFolderTest::SetUp();
        CFPreferencesSetFileWriter(&PlainWriter);
    }
    void TearDown() override {
        CFPreferencesSetFileWriter(nullptr);
        PrefsFolderTest::TearDown();
    }
    CFStringRef S(const char* text) {
        return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
    }
    void Set(const char* key, CFTypeRef value, CFStringRef domain = CFSTR("Test")) {
        CFStringRef k = S(key);
        CFPreferencesSetValue(k, value, domain, kCFPreferencesCurrentUser, kCFPreferencesAnyHost);
        CFRelease(k);
    }
    CFTypeRef Copy(const char* key, CFStringRef domain = CFSTR("Test")) {
        CFStringRef k = S(key);
        CFTypeRef v =
            CFPreferencesCopyValue(k, domain, kCFPreferencesCurrentUser, kCFPreferencesAnyHost);
        CFRelease(k);
        return v;
    }
    bool Sync(CFStringRef domain = CFSTR("Test")) {
        return CFPreferencesSynchronize(domain, kCFPreferencesCurrentUser, kCFPreferencesAnyHost);
    }
    std::string File(CFStringRef domain = CFSTR("Test")) {
        return test::PreferencesFilePath(domain, kCFPreferencesCurrentUser, kCFPreferencesAnyHost);
    }
};

TEST_F(CFPreferencesTest, FilesLiveWhereTheScopeSays) {
    EXPECT_EQ(File(), UserFolder() + "/Test.plist");
    EXPECT_EQ(File(kCFPreferencesCurrentApplication), UserFolder() + "/Stravel.plist");
    EXPECT_EQ(
        test::PreferencesFilePath(CFSTR("Test"), kCFPreferencesAnyUser, kCFPreferencesAnyHost),
        SystemFolder() + "/Test.plist");
    const std::string byHost =
        test::PreferencesFilePath(CFSTR("Test"), kCFPreferencesAnyUser, kCFPreferencesCurrentHost);
    EXPECT_EQ(byHost.rfind(SystemFolder() + "/ByHost/Test.", 0), 0u);
    EXPECT_EQ(byHost.substr(byHost.size() - 6), ".plist");
    for (const char* bad : {"", ".", "..", "a/b", "../escape"}) {
        CFStringRef domain = S(bad);
        EXPECT_EQ(File(domain), "") << bad;
        EXPECT_FALSE(Sync(domain)) << bad;
        CFRelease(domain);
    }
}

TEST_F(CFPreferencesTest, ValuesAreSeenAtOnceAndWrittenOnSynchronize) {
    // Control characters and U+FFFE go to the file as they are, as other writers do.
    CFStringRef text = S("h\u00e9llo \U0001F600 <&> \r\n\t \x01\x1F\uFFFE end");
    Set("text", text);
    CFTypeRef copy = Copy("text");
    EXPECT_EQ(copy, static_cast<CFTypeRef>(text));
    CFRelease(copy);
    EXPECT_FALSE(std::filesystem::exists(File()));
    ASSERT_TRUE(Sync());
    ASSERT_TRUE(std::filesystem::exists(File()));

    test::ResetPreferences(); // as a new process
    copy = Copy("text");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(static_cast<CFStringRef>(copy)->Text(), text->Text());
    CFRelease(copy);
    CFRelease(text);

    Set("text", nullptr);
    EXPECT_EQ(Copy("text"), nullptr);
    ASSERT_TRUE(Sync());
    test::ResetPreferences();
    EXPECT_EQ(Copy("text"), nullptr);
}

TEST_F(CFPreferencesTest, ChangesOfOthersToOtherKeysAreKept) {
    int32_t one = 1;
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
    Set("ours", number);
    CFRelease(number);
    // Another program writes the list in the meantime.
    std::filesystem::create_directories(UserFolder());
    WriteFileBytes(File(), "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                           "<key>theirs</key><string>kept</string>"
                           "<key>list</key><array><integer>1</integer><string>x</string></array>"
                           "</dict></plist>");
    ASSERT_TRUE(Sync());
    CFTypeRef theirs = Copy("theirs");
    ASSERT_NE(theirs, nullptr);
    EXPECT_EQ(static_cast<CFStringRef>(theirs)->Text(), u"kept");
    CFRelease(theirs);
    const std::string written = ReadFileBytes(File());
    EXPECT_NE(written.find("<key>ours</key>"), std::string::npos);
    // A kind of value the preferences do not use is written back as it was.
    EXPECT_NE(written.find("<array><integer>1</integer><string>x</string></array>"),
              std::string::npos);
}

TEST_F(CFPreferencesTest, WithoutAWriterChangesWaitInMemory) {
    CFPreferencesSetFileWriter(nullptr);
    Set("kept", kCFBooleanTrue);
    EXPECT_FALSE(Sync());
    EXPECT_FALSE(std::filesystem::exists(File()));
    CFPreferencesSetFileWriter(&PlainWriter);
    EXPECT_TRUE(Sync());
    EXPECT_NE(ReadFileBytes(File()).find("<key>kept</key>"), std::string::npos);
}

TEST_F(CFPreferencesTest, ABadByteCostsNeitherTheListNorItself) {
    std::filesystem::create_directories(UserFolder());
    const std::string bad = "<string>caf\xE9</string>";
    WriteFileBytes(File(),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist><dict><key>name</key>" + bad +
                       "<key>kept</key><string>\xF3\xB0\x80\x80 ok</string>"
                       "<key>list</key><array><string>\xFF</string></array>"
                       "</dict></plist>");
    Set("added", kCFBooleanTrue);
    ASSERT_TRUE(Sync());
    CFTypeRef name = Copy("name"), kept = Copy("kept");
    ASSERT_NE(name, nullptr);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(static_cast<CFStringRef>(name)->Text(), std::u16string(u"caf") + char16_t(0xDCE9));
    EXPECT_EQ(static_cast<CFStringRef>(kept)->Text(), u"\U000F0000 ok");
    CFRelease(name);
    CFRelease(kept);
    // Written back, the bytes are what they were.
    const std::string written = ReadFileBytes(File());
    EXPECT_NE(written.find(bad), std::string::npos);
    EXPECT_NE(written.find("<array><string>\xFF</string></array>"), std::string::npos);
    EXPECT_NE(written.find("<key>added</key>"), std::string::npos);
}

TEST_F(CFPreferencesTest, AnUnreadableListIsMovedAsideAndTheListStartsAfresh) {
    std::filesystem::create_directories(UserFolder());
    const std::string cut = "<plist><dict><key>a</key>";
    // A string from an entity: the list is refused whole rather than expanded or saved
    // without the entity's declaration.
    const std::string entity = "<!DOCTYPE plist [<!ENTITY e \"x\">]><plist><dict><key>a</key>"
                               "<array><string>&e;</string></array></dict></plist>";
    WriteFileBytes(File(), cut);
    WriteFileBytes(File() + ".unreadable", "older");
    Set("b", kCFBooleanTrue);
    ASSERT_TRUE(Sync());
    EXPECT_EQ(ReadFileBytes(File() + ".unreadable"), "older");
    EXPECT_EQ(ReadFileBytes(File() + ".unreadable-2"), cut);
    WriteFileBytes(File(), entity);
    Set("c", kCFBooleanTrue);
    ASSERT_TRUE(Sync());
    EXPECT_EQ(ReadFileBytes(File() + ".unreadable-3"), entity);
    const std::string written = ReadFileBytes(File());
    EXPECT_NE(written.find("<key>c</key>"), std::string::npos);
    EXPECT_EQ(written.find("<key>a</key>"), std::string::npos);
    if (stravel::testing::HaveTool("xmllint")) {
        const auto lint = RunTool({"xmllint", "--noout", "--nonet", File()});
        EXPECT_EQ(lint.exitCode, 0) << lint.err;
    }
    // A device or a pipe in its place is neither read without end, waited on, nor moved.
    std::filesystem::remove(File());
    std::filesystem::create_symlink("/dev/zero", File());
    Set("d", kCFBooleanTrue);
    EXPECT_FALSE(Sync());
    std::filesystem::remove(File());
    ASSERT_EQ(mkfifo(File().c_str(), 0600), 0);
    EXPECT_FALSE(Sync());
    EXPECT_FALSE(std::filesystem::exists(File() + ".unreadable-4"));
    // Once the file is mended the pending change still goes out.
    std::filesystem::remove(File());
    EXPECT_TRUE(Sync());
    test::ResetPreferences();
    CFTypeRef d = Copy("d");
    EXPECT_EQ(d, static_cast<CFTypeRef>(kCFBooleanTrue));
    CFRelease(d);
}

TEST_F(CFPreferencesTest, PythonReadsTheList) {
    STRAVEL_REQUIRE_TOOL("python3");
    int32_t minusOne = -1;
    float tenth = 0.1f;
    double third = 1.0 / 3.0;
    const UInt8 bytes[] = {0, 1, 2, 250, 255};
    CFNumberRef n1 = CFNumberCreate(nullptr, kCFNumberLongType, &minusOne);
    CFNumberRef n2 = CFNumberCreate(nullptr, kCFNumberFloatType, &tenth);
    CFNumberRef n3 = CFNumberCreate(nullptr, kCFNumberDoubleType, &third);
    CFDataRef data = CFDataCreate(nullptr, bytes, 5);
    CFStringRef text = S("a\rbc");
    Set("n1", n1);
    Set("n2", n2);
    Set("n3", n3);
    Set("data", data);
    Set("yes", kCFBooleanTrue);
    Set("text", text);
    for (CFTypeRef o :
         {static_cast<CFTypeRef>(n1), static_cast<CFTypeRef>(n2), static_cast<CFTypeRef>(n3),
          static_cast<CFTypeRef>(data), static_cast<CFTypeRef>(text)})
        CFRelease(o);
    ASSERT_TRUE(Sync());
    const auto result = RunTool({"python3", "-c",
                                 "import plistlib,sys\n"
                                 "d=plistlib.load(open(sys.argv[1],'rb'))\n"
                                 "assert d['n1']==-1, d\n"
                                 "import struct\n"
                                 "assert "
                                 "struct.unpack('f',struct.pack('f',d['n2']))[0]==struct.unpack('f'"
                                 ",struct.pack('f',0.1))[0]\n"
                                 "assert d['n3']==1/3, d['n3']\n"
                                 "assert d['data']==bytes([0,1,2,250,255])\n"
                                 "assert d['yes'] is True\n"
                                 "assert d['text']=='a\\rbc', repr(d['text'])\n"
                                 "print('ok')\n",
                                 File()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "ok\n");
}

TEST(CFNumberTest, ConversionsKeepThirtyTwoBitMeaning) {
    int64_t big = 0xFFFFFFFFll, huge = 1ll << 40;
    CFNumberRef a = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
    CFNumberRef b = CFNumberCreate(nullptr, kCFNumberSInt64Type, &huge);
    double half = 2.5, whole = -3.0;
    CFNumberRef c = CFNumberCreate(nullptr, kCFNumberDoubleType, &half);
    CFNumberRef d = CFNumberCreate(nullptr, kCFNumberDoubleType, &whole);
    int32_t out = 7;
    EXPECT_TRUE(CFNumberGetValue(a, kCFNumberSInt32Type, &out));
    EXPECT_EQ(out, -1);
    out = 7;
    EXPECT_FALSE(CFNumberGetValue(b, kCFNumberSInt32Type, &out));
    EXPECT_FALSE(CFNumberGetValue(c, kCFNumberSInt32Type, &out));
    EXPECT_EQ(out, 7);
    EXPECT_TRUE(CFNumberGetValue(d, kCFNumberSInt32Type, &out));
    EXPECT_EQ(out, -3);
    float f = 0;
    EXPECT_TRUE(CFNumberGetValue(a, kCFNumberFloat32Type, &f));
    EXPECT_EQ(f, 4294967295.0f);
    EXPECT_TRUE(CFNumberIsFloatType(c));
    EXPECT_FALSE(CFNumberIsFloatType(a));
    EXPECT_FALSE(
        CFNumberGetValue(reinterpret_cast<CFNumberRef>(kCFBooleanTrue), kCFNumberSInt32Type, &out));
    EXPECT_EQ(CFNumberCreate(nullptr, static_cast<CFNumberType>(99), &out), nullptr);
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
    EXPECT_FALSE(CFBooleanGetValue(kCFBooleanFalse));
    for (CFNumberRef n : {a, b, c, d})
        CFRelease(n);
}

TEST(PropertyListTest, ParsesWhatItWritesAndRefusesOtherDocuments) {
    plist::Dictionary dictionary;
    double inf = INFINITY;
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberDoubleType, &inf);
    dictionary.Set(u"k<&>", n);
    CFRelease(n);
    plist::Dictionary back;
    ASSERT_TRUE(plist::Parse(plist::Serialize(dictionary), back));
    auto value = static_cast<CFNumberRef>(back.Find(u"k<&>"));
    ASSERT_NE(value, nullptr);
    EXPECT_TRUE(std::isinf(value->RealValue()));
    EXPECT_TRUE(plist::Parse("  \n", back));
    for (const char* bad :
         {"<dict/>", "<plist><array/></plist>", "<plist><dict><string/></dict></plist>",
          "<plist><dict><key>a</key></dict></plist>", "not xml"})
        EXPECT_FALSE(plist::Parse(bad, back)) << bad;
}

} // namespace
