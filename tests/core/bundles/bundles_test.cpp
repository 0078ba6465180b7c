#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/bundles/code_fragments.h"
#include "core/bundles/dll.h"
#include "core/bundles/help_book.h"
#include "core/bundles/sibling_locators.h"
#include "core/paths/path.h"
#include "core/prefs/prefs_manager.h"
#include "core/strings/string.h"
#include "platform/files/launch.h"
#include "platform/prefs/cf_preferences.h"
#include "tests/support/private_folders.h"
#include "tests/support/tools.h"

namespace {

namespace fs = std::filesystem;
using Entry = int (*)(int);

CBK_Path PathOf(const fs::path& path) {
    return CBK_Path(BK_FileSystemNameToWide(path.string()));
}

TEST(DllTest, LoadsTheModuleAndResolvesItsEntryByName) {
    CBK_Dll dll;
    EXPECT_EQ(dll.GetProcAddressA("StravelTestEntry"), nullptr);
    ASSERT_TRUE(dll.Load(PathOf(STRAVEL_TEST_MODULE)));
    auto entry = reinterpret_cast<Entry>(dll.GetProcAddressA("StravelTestEntry"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(4), 13);
    EXPECT_EQ(dll.GetProcAddressW(L"StravelTestEntry"), reinterpret_cast<void*>(entry));
    EXPECT_EQ(dll.GetProcAddressW(L"NoSuchEntry"), nullptr);
    // 8-bit names are UTF-8, the locale encoding here; bytes that are not UTF-8 name nothing.
    auto accented = reinterpret_cast<Entry>(dll.GetProcAddressA("StravelTestEntr\xC3\xA9"
                                                                "e"));
    ASSERT_NE(accented, nullptr);
    EXPECT_EQ(accented(3), 15);
    EXPECT_EQ(dll.GetProcAddressW(L"StravelTestEntr\u00e9e"), reinterpret_cast<void*>(accented));
    EXPECT_EQ(dll.GetProcAddressA("StravelTestEntr\xE9"
                                  "e"),
              nullptr);
    EXPECT_TRUE(dll.Unload());
    EXPECT_EQ(dll.GetProcAddressW(L"StravelTestEntry"), nullptr);
}

TEST(DllTest, BundleFolderMapsToTheSharedObjectInside) {
    stravel::testing::TempDir dir;
    const fs::path bundle = dir / "Coder.bundle";
    fs::create_directories(bundle / "Contents/Linux");
    CBK_Dll dll;
    ASSERT_TRUE(dll.Load(PathOf(bundle)));
    EXPECT_EQ(dll.GetProcAddressA("StravelTestEntry"), nullptr); // no code inside yet
    fs::copy_file(STRAVEL_TEST_MODULE, bundle / "Contents/Linux/Coder.so");
    auto entry = reinterpret_cast<Entry>(dll.GetProcAddressA("StravelTestEntry"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(0), 1);
    EXPECT_FALSE(dll.Load(PathOf(dir / "missing.bundle")));
    EXPECT_EQ(dll.GetProcAddressA("StravelTestEntry"), nullptr);
    EXPECT_FALSE(dll.Load(CBK_String(L"Coder")));
}

TEST(CodeFragmentTest, DataForksLoadAndGiveTheirSymbolsThemselves) {
    tbx::CFragConnectionID connection = nullptr;
    ASSERT_TRUE(BK_DllLoad(PathOf(STRAVEL_TEST_MODULE), connection));
    auto entry = reinterpret_cast<Entry>(BK_DllGetProcAddressA(connection, "StravelTestEntry"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(4), 13);
    EXPECT_EQ(BK_DllGetProcAddressW(connection, L"StravelTestEntry"),
              reinterpret_cast<void*>(entry));
    EXPECT_EQ(BK_DllGetProcAddressW(connection, L"Stravel\u4E00"), nullptr); // not Mac Roman
    EXPECT_EQ(BK_DllGetProcAddressA(connection, std::string(256, 'x').c_str()), nullptr);
    tbx::CFragConnectionID kept = connection;
    EXPECT_TRUE(BK_DllUnload(connection));
    EXPECT_EQ(connection, nullptr);
    EXPECT_FALSE(BK_DllUnload(kept));
    EXPECT_EQ(BK_DllGetProcAddressA(kept, "StravelTestEntry"), nullptr);
    stravel::testing::TempDir dir;
    stravel::testing::WriteFileBytes(dir / "text", "not code");
    EXPECT_FALSE(BK_DllLoad(PathOf(dir / "text"), connection));
    EXPECT_FALSE(BK_DllLoad(PathOf(dir / "missing"), connection));
}

class LocatorTest : public ::testing::Test {
protected:
    void SetUp() override { tbx::test::ResetPreferences(); }
    void TearDown() override { tbx::test::ResetPreferences(); }
    void StoreAppPath(const wchar_t* domain, const std::wstring& path) {
        CBK_PrefsManager prefs;
        ASSERT_TRUE(prefs.OpenRegistry(domain, CBK_PrefsManager::PREFS_CURRENT_USER_ANY_HOST,
                                       CBK_PrefsManager::ACCESS_WRITE));
        ASSERT_TRUE(prefs.SetString(L"app_path", path.c_str()));
        ASSERT_TRUE(prefs.CloseRegistry());
    }
    stravel::testing::PrivateFolders _folders;
};

TEST_F(LocatorTest, SiblingsAreFoundThroughTheirPreferenceDomains) {
    CBK_Path path;
    EXPECT_FALSE(BK_GetPathToDunmere(path));
    EXPECT_FALSE(BK_GetPathToDunmereDll(path));
    const fs::path apps = _folders.Work() / "Apps";
    fs::create_directories(apps / "Dunmere.app");
    StoreAppPath(L"Dunmere", PathOf(apps / "Dunmere.app/").GetPathString());
    ASSERT_TRUE(BK_GetPathToDunmere(path));
    EXPECT_EQ(path.GetPathString(), PathOf(apps / "Dunmere.app/").GetPathString());
    EXPECT_FALSE(BK_GetPathToDunmereDll(path)); // no dnb.bundle beside it
    fs::create_directories(apps / "dnb.bundle");
    ASSERT_TRUE(BK_GetPathToDunmereDll(path));
    EXPECT_EQ(path.GetPathString(), PathOf(apps / "dnb.bundle").GetPathString());
    EXPECT_FALSE(BK_GetPathToQuorbel(path));
    EXPECT_FALSE(BK_GetPathToKestrowDll(path));
}

TEST_F(LocatorTest, AppSupportFoldersAreMadeOncePerProduct) {
    // The user's data folder from HOME alone.
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", (_folders.Root() / "home").c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    struct Restore {
        std::string home;
        ~Restore() { setenv("HOME", home.c_str(), 1); }
    } restore{savedHome};
    const fs::path maker = _folders.Root() / "home/.local/share/Quillfern";
    CBK_Path folder;
    ASSERT_TRUE(BK_GetQuillfernAppSupportFolder(folder, 1851));
    EXPECT_TRUE(fs::is_directory(maker / "Stravel"));
    const std::wstring made = folder.GetFullPathString();
    EXPECT_EQ(fs::path(BK_WideToFileSystemName(made)).lexically_normal(),
              (maker / "Stravel/").lexically_normal());
    fs::create_directories(maker / "Stravel/keep");
    ASSERT_TRUE(BK_GetQuillfernAppSupportFolder(folder, 1851));
    EXPECT_TRUE(fs::exists(maker / "Stravel/keep"));
    // Found or made, the folder's path ends in "/".
    EXPECT_EQ(folder.GetFullPathString(), made);
    EXPECT_EQ(made.back(), L'/');
    ASSERT_TRUE(BK_GetQuillfernAppSupportFolder(folder, 0));
    EXPECT_TRUE(fs::is_directory(maker / "Common"));
    ASSERT_TRUE(BK_GetQuillfernAppSupportFolder(folder, 1821));
    CBK_Path other;
    ASSERT_TRUE(BK_GetQuillfernAppSupportFolder(other, 1822));
    folder.AppendSlash();
    other.AppendSlash();
    EXPECT_TRUE(folder == other);
    EXPECT_TRUE(fs::is_directory(maker / "Dunmere"));
    // A file where the maker's folder belongs cannot become a folder.
    fs::remove_all(maker);
    stravel::testing::WriteFileBytes(maker, "x");
    EXPECT_FALSE(BK_GetQuillfernAppSupportFolder(folder, 1851));
}

TEST(HelpBookTest, OpensTheRegisteredDocumentWithTheDesktopViewer) {
    stravel::testing::TempDir dir;
    std::vector<std::vector<std::string>> started;
    tbx::test::SetLauncher([&](const std::vector<std::string>& argv, tbx::UInt32* pid) {
        started.push_back(argv);
        *pid = 1;
        return tbx::OSStatus(tbx::noErr);
    });
    const fs::path help = dir / "StravelHelp.pdf";
    EXPECT_FALSE(BK_RegisterHelpBook(PathOf(help)));
    EXPECT_FALSE(BK_OpenHelp(L"page", nullptr));
    stravel::testing::WriteFileBytes(help, "%PDF");
    EXPECT_TRUE(BK_RegisterHelpBook(PathOf(help)));
    EXPECT_TRUE(BK_OpenHelp(nullptr, nullptr));
    tbx::test::SetLauncher(nullptr);
    gBK_AppHelpBookPath = CBK_Path();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], (std::vector<std::string>{"xdg-open", help.string()}));
}

} // namespace
