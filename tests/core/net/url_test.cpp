#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "core/net/net_settings.h"
#include "core/net/software_update.h"
#include "core/net/system_probes.h"
#include "core/net/url.h"
#include "core/paths/path.h"
#include "core/prefs/prefs_manager.h"
#include "platform/net/http.h"
#include "platform/prefs/cf_preferences.h"
#include "platform/windows/events.h"
#include "tests/core/net/local_http_server.h"
#include "tests/support/private_folders.h"
#include "tests/support/windowing_fixture.h"

namespace {

using stravel::testing::LocalHttpServer;
using Clock = std::chrono::steady_clock;

std::string DataOf(const CBK_Url& url) {
    return std::string(reinterpret_cast<const char*>(url.GetData()),
                       std::size_t(url.GetDataSize()));
}

std::wstring Wide(const std::string& text) {
    return BK_FileSystemNameToWide(text);
}

// A port on which nothing listens.
int ClosedPort() {
    LocalHttpServer server("x");
    return server.Port();
}

TEST(UrlTest, DecodeTurnsPlusIntoBlankAndEscapesIntoBytes) {
    wchar_t text[] = L"a+b%41%zz%e9%2B%4";
    EXPECT_STREQ(CBK_Url::DecodeUrl(text, false), L"a bAzz\u00e9+4");
    EXPECT_EQ(CBK_Url::DecodeUrl(nullptr, false), nullptr);
}

class NetTest : public stravel::testing::WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        tbx::test::ResetPreferences();
        tbx::test::SetHttpTimeouts(1000, 2000);
    }
    void TearDown() override {
        tbx::test::SetHttpTimeouts(0, 0);
        tbx::test::ResetPreferences();
        WindowingTest::TearDown();
    }
    void PointAt(const std::string& update, const std::string& probe) {
        CBK_PrefsManager prefs;
        ASSERT_TRUE(prefs.OpenRegistry(nullptr, CBK_PrefsManager::PREFS_CURRENT_USER_ANY_HOST,
                                       CBK_PrefsManager::ACCESS_WRITE));
        prefs.SetString(kBK_UpdateHostKey, Wide(update).c_str());
        prefs.SetString(kBK_ProbeHost1Key, Wide(probe).c_str());
        prefs.SetString(kBK_ProbeHost2Key, Wide(probe).c_str());
        ASSERT_TRUE(prefs.CloseRegistry());
    }
    // Runs the main event loop until `done` or five seconds of real time.
    template <typename Done>
    void Pump(Done done) {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!done() && Clock::now() < deadline) {
            tbx::EventRef event = nullptr;
            if (tbx::ReceiveNextEvent(0, nullptr, 0.05, true, &event) == tbx::noErr)
                tbx::ReleaseEvent(event);
        }
    }
    stravel::testing::PrivateFolders _folders;
};

TEST_F(NetTest, UpdateCheckReadsMajorAndMinorFromA2xxReply) {
    struct Case {
        int status;
        const char* reply;
        bool checked, available;
    } cases[] = {
        {200, "2.3", true, true},    {200, "1.15", true, false},
        {200, "1.16\n", true, true}, {200, "1", false, false},
        {200, "1.", false, false},   {404, "404 Not Found.", false, false},
        {500, "9.9", false, false},
    };
    for (const Case& c : cases) {
        LocalHttpServer server(LocalHttpServer::Reply(c.status, c.reply));
        PointAt(server.Host(), server.Host());
        CBK_SoftwareUpdate update;
        EXPECT_EQ(update.CheckForUpdate(1851, 1, 15), c.checked) << c.reply;
        EXPECT_EQ(update.UpdateIsAvailable(), c.available) << c.reply;
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].rfind("GET /swupdate/swvers.php?pcd=7613 HTTP/1.1\r\n", 0), 0u);
    }
}

TEST_F(NetTest, UpdateCheckGivesUpOnASilentServerWithinItsTimeOut) {
    LocalHttpServer server("");
    PointAt(server.Host(), server.Host());
    const auto start = Clock::now();
    CBK_SoftwareUpdate update;
    EXPECT_FALSE(update.CheckForUpdate(1851, 1, 15));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(NetTest, NoNetworkMeansNoCheck) {
    const int port = ClosedPort();
    LocalHttpServer server(LocalHttpServer::Reply(200, "9.0"));
    PointAt(server.Host(), "127.0.0.1:" + std::to_string(port));
    const auto start = Clock::now();
    EXPECT_FALSE(CBK_Internet::IsConnected());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    CBK_SoftwareUpdate update;
    EXPECT_FALSE(update.CheckForUpdate(1851, 1, 15));
    EXPECT_TRUE(server.Requests().empty());
    PointAt(server.Host(), "[::1");
    EXPECT_FALSE(CBK_Internet::IsConnected());
    PointAt(server.Host(), server.Host());
    EXPECT_TRUE(CBK_Internet::IsConnected());
}

TEST_F(NetTest, SynchronousPostSendsHeadersInOrderAndTheBody) {
    LocalHttpServer server(LocalHttpServer::Reply(200, "done"));
    CBK_Url url(Wide("http://" + server.Host() + "/post").c_str(), CBK_Url::METHOD_POST);
    url.SetRequestHeader(L"X-One", L"1");
    url.SetRequestHeader(L"X-Two", L"2");
    const unsigned char body[] = {'a', 0, 'b'};
    url.SetRequestBody(body, 3);
    ASSERT_TRUE(url.DownloadSynchronous());
    EXPECT_EQ(DataOf(url), "done");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& r = requests[0];
    EXPECT_EQ(r.rfind("POST /post HTTP/1.1\r\n", 0), 0u);
    EXPECT_LT(r.find("X-One: 1\r\n"), r.find("X-Two: 2\r\n"));
    EXPECT_EQ(r.substr(r.size() - 3), std::string("a\0b", 3));
    EXPECT_TRUE(GetUrl(Wide("http://" + server.Host() + "/get").c_str()));
    LocalHttpServer missing(LocalHttpServer::Reply(404, "Not Found."));
    EXPECT_FALSE(GetUrl(Wide("http://" + missing.Host() + "/get").c_str()));
}

TEST_F(NetTest, HeadersCannotSplitTheRequestAndEmptyOnesAreSent) {
    LocalHttpServer server(LocalHttpServer::Reply(200, "ok"));
    const std::wstring address = Wide("http://" + server.Host() + "/h");
    for (auto [name, value] : {std::pair{L"X-A", L"1\r\nX-Injected: 2"},
                               {L"X-A\n", L"1"},
                               {L"X-A", L"1\rX-B: 2"},
                               {L"", L"1"},
                               {L"X:A", L"1"}}) {
        CBK_Url url(address.c_str(), CBK_Url::METHOD_POST);
        url.SetRequestHeader(name, value);
        EXPECT_FALSE(url.DownloadSynchronous());
    }
    tbx::HttpRequest nul;
    nul.url = "http://" + server.Host() + "/n";
    nul.headers = {{"X-A", std::string("1\0X", 3)}};
    tbx::HttpReply reply;
    EXPECT_EQ(tbx::HttpPerform(nul, reply), tbx::paramErr);
    EXPECT_TRUE(server.Requests().empty()); // nothing of them reached the server

    CBK_Url url(address.c_str(), CBK_Url::METHOD_POST);
    url.SetRequestHeader(L"X-Empty", L"");
    url.SetRequestHeader(L"Host", L"");
    url.SetRequestHeader(L"X-Last", L"z");
    ASSERT_TRUE(url.DownloadSynchronous());
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("\r\nX-Empty:\r\n"), std::string::npos) << requests[0];
    EXPECT_NE(requests[0].find("\r\nHost: " + server.Host() + "\r\n"), std::string::npos)
        << requests[0];
    EXPECT_NE(requests[0].find("\r\nX-Last: z\r\n"), std::string::npos);
}

TEST_F(NetTest, AsynchronousPostDeliversItsReplyOnceThroughTheEventLoop) {
    LocalHttpServer server(LocalHttpServer::Reply(200, "reply"));
    CBK_Url url(Wide("http://" + server.Host() + "/a").c_str(), CBK_Url::METHOD_POST);
    const unsigned char prepared[] = "Content-Type: text/plain\n\0xyz";
    url.SetPostData(prepared, sizeof prepared - 1);
    int32_t size = 0;
    url.GetRequestBody(&size);
    EXPECT_EQ(size, 3);
    EXPECT_FALSE(url.DownloadAsynchronous());
    EXPECT_EQ(url.GetDataSize(), 0); // nothing before the loop runs
    Pump([&] { return url.GetDataSize() > 0; });
    EXPECT_EQ(DataOf(url), "reply");
    // The request is over: no timer is left to deliver anything again.
    tbx::EventRef event = nullptr;
    EXPECT_EQ(tbx::ReceiveNextEvent(0, nullptr, 0, true, &event), tbx::eventLoopTimedOutErr);
    EXPECT_EQ(DataOf(url), "reply");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("\r\nContent-Type: text/plain\r\n"), std::string::npos);
    EXPECT_NE(requests[0].find("\r\n\r\nxyz"), std::string::npos);
    EXPECT_EQ(requests[0].substr(requests[0].size() - 3), "xyz");
    CBK_Url get(L"http://127.0.0.1:1/", CBK_Url::METHOD_GET);
    EXPECT_FALSE(get.DownloadAsynchronous());
}

TEST_F(NetTest, AsynchronousPostDestroyedEarlyIsCancelled) {
    LocalHttpServer server("");
    {
        CBK_Url url(Wide("http://" + server.Host() + "/slow").c_str(), CBK_Url::METHOD_POST);
        url.SetRequestBody(reinterpret_cast<const unsigned char*>("q"), 1);
        url.DownloadAsynchronous();
        Pump([&] { return !server.Requests().empty(); });
    }
    // No timer is left to pump: wait on the server alone.
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (server.ClosedByClient() == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(server.ClosedByClient(), 1);
    tbx::EventRef event = nullptr;
    EXPECT_EQ(tbx::ReceiveNextEvent(0, nullptr, 0, true, &event), tbx::eventLoopTimedOutErr);
}

TEST(UrlLaunchTest, OpensTheUrlWithXdgOpen) {
    std::vector<std::string> argv;
    tbx::test::SetLauncher([&](const std::vector<std::string>& a, tbx::UInt32* pid) {
        argv = a;
        *pid = 7;
        return tbx::OSStatus(tbx::noErr);
    });
    CBK_Url url(L"http://example.invalid/a b/caf\u00e9", CBK_Url::METHOD_GET);
    EXPECT_TRUE(url.Launch());
    EXPECT_EQ(argv,
              (std::vector<std::string>{"xdg-open", "http://example.invalid/a b/caf\xC3\xA9"}));
    // Web and mail addresses only: nothing that opens local files or programs, and nothing
    // xdg-open would take for an option.
    for (const wchar_t* other : {L"HTTPS://example.invalid/", L"MailTo:a@example.invalid"}) {
        argv.clear();
        url.SetUrl(other);
        EXPECT_TRUE(url.Launch()) << other;
        EXPECT_EQ(argv.size(), 2u) << other;
    }
    for (const wchar_t* refused :
         {L"file:///etc/passwd", L"-x http://example.invalid/", L"--help", L"javascript:alert(1)",
          L"/usr/bin/xterm", L"httpx://example.invalid/", L""}) {
        argv.clear();
        url.SetUrl(refused);
        EXPECT_FALSE(url.Launch()) << refused;
        EXPECT_TRUE(argv.empty()) << refused;
    }
    tbx::test::SetLauncher(nullptr);
}

} // namespace
