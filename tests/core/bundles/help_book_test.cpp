// The help book of the application bundle, opened at a page and anchor without the document.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/bundles/help_book.h"
#include "core/paths/path.h"
#include "platform/files/launch.h"
#include "platform/help/apple_help.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/tools.h"

namespace {

namespace fs = std::filesystem;
using stravel::testing::RunTool;

TEST(HelpBookTest, WithoutTheDocumentTheBundlesBookOpensAtItsPageAndAnchor) {
    STRAVEL_REQUIRE_TOOL("python3");
    stravel::testing::ScratchBundle bundle("");
    // The Info.plist as Python's own plist writer makes it.
    const fs::path info = bundle.Path() / "Contents/Info.plist";
    ASSERT_EQ(RunTool({"python3", "-c",
                       "import plistlib, sys\n"
                       "plistlib.dump({'CFBundleHelpBookName': 'Stravel Help', "
                       "'CFBundleHelpBookFolder': 'Stravel Help'}, open(sys.argv[1], 'wb'))",
                       info.string()})
                  .exitCode,
              0);
    const fs::path book = bundle.Path() / "Contents/Resources/English.lproj/Stravel Help";
    bundle.AddResource("English.lproj/Stravel Help/a.html", "<p>not the title page</p>");
    bundle.AddResource("English.lproj/Stravel Help/index.html",
                       "<meta name=\"AppleTitle\" content=\"Stravel Help\">");
    bundle.AddResource("English.lproj/Stravel Help/pages/export \xc3\xa9.html", "<p>export</p>");
    // Links inside the book: one to a page of the book, two leading out of it.
    fs::create_symlink("a.html", book / "inside.html");
    fs::create_symlink(info, book / "outside.html");
    fs::create_directory_symlink("/etc", book / "etc");

    std::vector<std::string> urls;
    tbx::test::SetLauncher([&](const std::vector<std::string>& argv, tbx::UInt32* pid) {
        EXPECT_EQ(argv.size(), 2u);
        EXPECT_EQ(argv[0], "xdg-open");
        urls.push_back(argv.back());
        *pid = 1;
        return tbx::OSStatus(tbx::noErr);
    });
    EXPECT_TRUE(BK_RegisterHelpBook(CBK_Path(
        BK_FileSystemNameToWide((bundle.Path().parent_path() / "StravelHelp.pdf").string()))));
    struct Case {
        const wchar_t* page;
        const wchar_t* anchor;
        std::string opened; // relative to the book; empty when nothing may open
        std::string fragment;
    };
    const Case cases[] = {
        {L"pages/export \u00e9.html", L"fade in", "pages/export \xc3\xa9.html", "fade in"},
        {L"pages/export \u00e9.html", nullptr, "pages/export \xc3\xa9.html", ""},
        {nullptr, L"ignored", "index.html", ""},
        {L"missing.html", nullptr, "", ""},
        {L"../../../Info.plist", nullptr, "", ""},
        {L"/etc/hostname", nullptr, "", ""},
        {L"inside.html", nullptr, "a.html", ""},
        {L"outside.html", nullptr, "", ""},
        {L"etc/passwd", nullptr, "", ""},
    };
    for (const Case& c : cases) {
        urls.clear();
        EXPECT_EQ(BK_OpenHelp(c.page, c.anchor), !c.opened.empty()) << c.opened;
        if (c.opened.empty()) {
            EXPECT_TRUE(urls.empty());
            continue;
        }
        ASSERT_EQ(urls.size(), 1u);
        // Python's URL parser takes the URL apart again.
        const auto parts = RunTool({"python3", "-c",
                                    "import sys, urllib.parse as u\n"
                                    "p = u.urlsplit(sys.argv[1])\n"
                                    "sys.stdout.buffer.write(p.scheme.encode() + b'|' + "
                                    "u.unquote_to_bytes(p.path) + b'|' + "
                                    "u.unquote_to_bytes(p.fragment))",
                                    urls[0]});
        EXPECT_EQ(parts.out,
                  "file|" + (fs::canonical(book) / c.opened).string() + "|" + c.fragment);
    }
    EXPECT_EQ(tbx::AHGotoPage(CFSTR("Stravel Help"), CFSTR("etc/passwd"), nullptr), tbx::paramErr);
    tbx::test::SetLauncher(nullptr);
    gBK_AppHelpBookPath = CBK_Path();
}

} // namespace
