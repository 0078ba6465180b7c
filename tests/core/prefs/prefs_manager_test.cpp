#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "core/paths/path.h"
#include "core/prefs/prefs_manager.h"
#include "platform/prefs/cf_preferences.h"
#include "tests/support/prefs_fixture.h"

namespace {

using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::WriteFileBytes;

constexpr auto kUser = CBK_PrefsManager::PREFS_CURRENT_USER_ANY_HOST;
constexpr auto kRead = CBK_PrefsManager::ACCESS_READ;
constexpr auto kWrite = CBK_PrefsManager::ACCESS_WRITE;

class PrefsManagerTest : public stravel::testing::PrefsFolderTest {};

void WriteEveryType(CBK_PrefsManager& prefs) {
    const uint8_t bytes[] = {1, 2, 3, 0, 255};
    EXPECT_TRUE(prefs.SetString(L"text", L"Caf\u00e9 \U0001F600 \"<&>\""));
    EXPECT_TRUE(prefs.SetBoolean(L"flag", true));
    EXPECT_TRUE(prefs.SetBoolean(L"off", false));
    EXPECT_TRUE(prefs.SetNumber(L"signed", static_cast<int32_t>(-123456)));
    EXPECT_TRUE(prefs.SetNumber(L"unsigned", 0xFFFFFFFFu));
    EXPECT_TRUE(prefs.SetNumber(L"high", 0x80000000u));
    EXPECT_TRUE(prefs.SetFloat(L"float", 0.1f));
    EXPECT_TRUE(prefs.SetDouble(L"double", 0.1 + 0.2));
    EXPECT_TRUE(prefs.SetBinary(L"binary", bytes, sizeof bytes));
}

void CheckEveryType(CBK_PrefsManager& prefs) {
    wchar_t text[64] = {};
    EXPECT_TRUE(prefs.GetString(L"text", text, 64));
    EXPECT_STREQ(text, L"Caf\u00e9 \U0001F600 \"<&>\"");
    bool flag = false;
    EXPECT_TRUE(prefs.GetBoolean(L"flag", flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(prefs.GetBoolean(L"off", flag));
    EXPECT_FALSE(flag);
    int32_t s = 0;
    EXPECT_TRUE(prefs.GetNumber(L"signed", s));
    EXPECT_EQ(s, -123456);
    uint32_t u = 0;
    EXPECT_TRUE(prefs.GetNumber(L"unsigned", u));
    EXPECT_EQ(u, 0xFFFFFFFFu);
    EXPECT_TRUE(prefs.GetNumber(L"high", u));
    EXPECT_EQ(u, 0x80000000u);
    float f = 0;
    EXPECT_TRUE(prefs.GetFloat(L"float", f));
    EXPECT_EQ(f, 0.1f);
    double d = 0;
    EXPECT_TRUE(prefs.GetDouble(L"double", d));
    EXPECT_EQ(d, 0.1 + 0.2);
    uint8_t buffer[8] = {};
    EXPECT_EQ(prefs.GetBinary(L"binary", buffer, sizeof buffer), 5u);
    EXPECT_EQ(std::memcmp(buffer, "\x01\x02\x03\x00\xff", 5), 0);
}

TEST_F(PrefsManagerTest, EveryTypeSurvivesCloseAndReopen) {
    {
        CBK_PrefsManager prefs;
        ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, kWrite));
        WriteEveryType(prefs);
        CheckEveryType(prefs); // before anything is written
        EXPECT_TRUE(prefs.CloseRegistry());
        EXPECT_FALSE(prefs.IsOpen());
    }
    tbx::test::ResetPreferences(); // a new run of the program
    CBK_PrefsManager prefs;
    ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, kRead));
    CheckEveryType(prefs);
    // Only read: nothing to write, and the store stays open.
    EXPECT_FALSE(prefs.CloseRegistry());
    EXPECT_TRUE(prefs.IsOpen());
    EXPECT_TRUE(std::filesystem::exists(UserFolder() + "/Stravel.plist"));
}

TEST_F(PrefsManagerTest, TheFileLoadsInPython) {
    STRAVEL_REQUIRE_TOOL("python3");
    {
        CBK_PrefsManager prefs;
        ASSERT_TRUE(prefs.OpenRegistry(nullptr, kUser, kWrite));
        WriteEveryType(prefs);
    } // the destructor writes
    const auto result =
        RunTool({"python3", "-c",
                 "import plistlib,sys\n"
                 "d=plistlib.load(open(sys.argv[1],'rb'))\n"
                 "assert d['unsigned']==-1 and d['signed']==-123456, d\n"
                 "assert d['flag'] is True and d['off'] is False\n"
                 "assert d['double']==0.1+0.2 and d['binary']==b'\\x01\\x02\\x03\\x00\\xff'\n"
                 "assert d['text']=='Caf\\u00e9 \\U0001F600 \"<&>\"', d['text']\n"
                 "print(len(d))\n",
                 UserFolder() + "/Stravel.plist"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "9\n");
}

TEST_F(PrefsManagerTest, TwoManagersOfOneDomainKeepBothKeys) {
    CBK_PrefsManager first, second;
    ASSERT_TRUE(first.OpenRegistry(L"Shared", kUser, kWrite));
    ASSERT_TRUE(second.OpenRegistry(L"Shared", kUser, kWrite));
    EXPECT_TRUE(first.SetNumber(L"a", static_cast<int32_t>(1)));
    EXPECT_TRUE(second.SetNumber(L"b", static_cast<int32_t>(2)));
    EXPECT_TRUE(first.CloseRegistry());
    // Another process writes a third key before the second manager closes.
    tbx::test::ResetPreferences();
    {
        CBK_PrefsManager other;
        ASSERT_TRUE(other.OpenRegistry(L"Shared", kUser, kWrite));
        EXPECT_TRUE(other.SetNumber(L"c", static_cast<int32_t>(3)));
    }
    EXPECT_TRUE(second.SetNumber(L"b", static_cast<int32_t>(22)));
    EXPECT_TRUE(second.CloseRegistry());
    tbx::test::ResetPreferences();
    CBK_PrefsManager check;
    ASSERT_TRUE(check.OpenRegistry(L"Shared", kUser, kRead));
    int32_t a = 0, b = 0, c = 0;
    EXPECT_TRUE(check.GetNumber(L"a", a));
    EXPECT_TRUE(check.GetNumber(L"b", b));
    EXPECT_TRUE(check.GetNumber(L"c", c));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 22);
    EXPECT_EQ(c, 3);
}

TEST_F(PrefsManagerTest, GettersLeaveOutputsAloneWhenTheyFail) {
    CBK_PrefsManager prefs;
    ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, kWrite));
    const uint8_t bytes[100] = {7};
    ASSERT_TRUE(prefs.SetBinary(L"big", bytes, sizeof bytes));
    ASSERT_TRUE(prefs.SetString(L"word", L"abcdef"));
    ASSERT_TRUE(prefs.SetNumber(L"number", static_cast<int32_t>(5)));
    uint8_t small[10] = {42};
    EXPECT_EQ(prefs.GetBinary(L"big", small, sizeof small), 0u);
    EXPECT_EQ(small[0], 42);
    EXPECT_EQ(prefs.GetBinary(L"word", small, sizeof small), 0u);
    bool flag = true;
    EXPECT_FALSE(prefs.GetBoolean(L"number", flag)); // a number is not a boolean
    EXPECT_FALSE(prefs.GetBoolean(L"missing", flag));
    EXPECT_TRUE(flag);
    int32_t n = 9;
    EXPECT_FALSE(prefs.GetNumber(L"word", n));
    EXPECT_EQ(n, 9);
    wchar_t text[4] = {L'x', 0, 0, 0};
    EXPECT_FALSE(prefs.GetString(L"number", text, 4));
    EXPECT_FALSE(prefs.GetString(L"word", nullptr, 4));
    EXPECT_FALSE(prefs.GetString(L"word", text, 0));
    EXPECT_STREQ(text, L"x");
    EXPECT_TRUE(prefs.GetString(L"word", text, 4));
    EXPECT_STREQ(text, L"abc");
    EXPECT_TRUE(prefs.KeyExists(L"word"));
    EXPECT_TRUE(prefs.DeleteKey(L"word"));
    EXPECT_FALSE(prefs.KeyExists(L"word"));
}

TEST_F(PrefsManagerTest, FailedSettersRecordTheirCodes) {
    CBK_PrefsManager prefs;
    EXPECT_FALSE(
        prefs.OpenRegistry(L"Stravel", static_cast<CBK_PrefsManager::PREFS_TYPE>(2), kWrite));
    EXPECT_FALSE(prefs.SetNumber(L"closed", static_cast<int32_t>(1)));
    ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, kWrite));
    EXPECT_FALSE(prefs.SetString(nullptr, L"v"));
    EXPECT_EQ(prefs.GetLastError(), 604);
    EXPECT_FALSE(prefs.SetString(L"k", nullptr));
    EXPECT_EQ(prefs.GetLastError(), 605);
    EXPECT_FALSE(prefs.SetDouble(nullptr, 1.0));
    EXPECT_EQ(prefs.GetLastError(), 606);
    EXPECT_FALSE(prefs.SetNumber(nullptr, 1u));
    EXPECT_EQ(prefs.GetLastError(), 608);
    EXPECT_FALSE(prefs.SetBoolean(nullptr, true));
    EXPECT_EQ(prefs.GetLastError(), 610);
    EXPECT_FALSE(prefs.SetBinary(nullptr, "x", 1));
    EXPECT_EQ(prefs.GetLastError(), 611);
    EXPECT_FALSE(prefs.DeleteKey(nullptr));
    EXPECT_EQ(prefs.GetLastError(), 602);
}

TEST_F(PrefsManagerTest, AWriteThatFailsKeepsTheStoreOpenWithCode603) {
    // The folder cannot be made: a file stands where it should be.
    std::filesystem::create_directories(_dir.Path() / "config");
    WriteFileBytes(UserFolder(), "in the way");
    CBK_PrefsManager prefs;
    ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, kWrite));
    ASSERT_TRUE(prefs.SetBoolean(L"x", true));
    EXPECT_FALSE(prefs.CloseRegistry());
    EXPECT_EQ(prefs.GetLastError(), 603);
    EXPECT_TRUE(prefs.IsOpen());
    std::filesystem::remove(UserFolder());
    EXPECT_TRUE(prefs.CloseRegistry());
}

TEST_F(PrefsManagerTest, FilesAreKeptAsTheirPaths) {
    // UTF-8 bytes, and a name from a Latin-1 volume that is not UTF-8.
    for (const char* name : {"movie \xc3\xa9.mov", "movie \xe9.mov"}) {
        const auto file = _dir / name;
        const std::wstring wide = BK_FileSystemNameToWide(file.string());
        WriteFileBytes(file, "x");
        tbx::FSRef ref;
        ASSERT_TRUE(CBK_Path(wide).GetFSRef(ref));
        {
            CBK_PrefsManager prefs;
            ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, kWrite));
            EXPECT_TRUE(prefs.SetFile(L"last", ref));
            EXPECT_TRUE(prefs.SetNumber(L"number", static_cast<int32_t>(1)));
            EXPECT_FALSE(prefs.SetFile(nullptr, ref));
            EXPECT_EQ(prefs.GetLastError(), 611);
        }
        EXPECT_NE(ReadFileBytes(UserFolder() + "/Stravel.plist").find(file.string()),
                  std::string::npos);
        tbx::test::ResetPreferences();
        CBK_PrefsManager prefs;
        ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, kRead));
        tbx::FSRef back;
        ASSERT_TRUE(prefs.GetFile(L"last", back)) << name;
        EXPECT_EQ(CBK_Path(back).GetFullPathString(), wide);
        EXPECT_FALSE(prefs.GetFile(L"number", back));
        std::filesystem::remove(file);
        EXPECT_FALSE(prefs.GetFile(L"last", back));
    }
}

TEST_F(PrefsManagerTest, AnyUserScopeUsesTheSystemFolder) {
    {
        CBK_PrefsManager prefs;
        ASSERT_TRUE(
            prefs.OpenRegistry(L"Shared", CBK_PrefsManager::PREFS_ANY_USER_CURRENT_HOST, kWrite));
        EXPECT_TRUE(prefs.SetString(L"app_path", L"/opt/x"));
    }
    EXPECT_TRUE(std::filesystem::exists(SystemFolder() + "/ByHost"));
    EXPECT_FALSE(std::filesystem::exists(UserFolder()));
}

} // namespace
