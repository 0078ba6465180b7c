#include "platform/net/http.h"

#include <atomic>
#include <curl/curl.h>
#include <mutex>
#include <strings.h>

#include "platform/windows/events.h"

namespace tbx {

namespace {

constexpr long kConnectTimeoutMs = 10000;
constexpr long kTotalTimeoutMs = 30000;
// How often the main event loop drives asynchronous transfers.
constexpr EventTimerInterval kPollInterval = 0.01;

std::atomic<long> gConnectTimeoutMs{kConnectTimeoutMs};
std::atomic<long> gTotalTimeoutMs{kTotalTimeoutMs};

void InitCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Sink {
    std::string* body;
    std::size_t cap;
    bool overflow = false;
};

std::size_t Append(char* data, std::size_t size, std::size_t count, void* user) {
    Sink* sink = static_cast<Sink*>(user);
    const std::size_t n = size * count;
    if (n > sink->cap - sink->body->size()) {
        sink->overflow = true;
        return 0; // aborts the transfer
    }
    sink->body->append(data, n);
    return n;
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// A header that can neither add lines of its own to the request nor move its value into the
// name: no CR, LF or NUL anywhere, and a name that is not empty and holds no colon.
bool IsSafeHeader(const std::string& name, const std::string& value) {
    const auto breaks = [](const std::string& text) {
        return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
    };
    return !name.empty() && name.find(':') == std::string::npos && !breaks(name) && !breaks(value);
}

// A handle set up for the request; the header list and the sink must outlive it.
Easy MakeEasy(const HttpRequest& request, HeaderList& headers, Sink& sink) {
    InitCurl();
    Easy easy(curl_easy_init());
    if (!easy)
        return nullptr;
    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, gConnectTimeoutMs.load());
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, gTotalTimeoutMs.load());
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &sink);
    for (const auto& [name, value] : request.headers) {
        if (!IsSafeHeader(name, value))
            return nullptr;
        const bool empty = value.find_first_not_of(" \t") == std::string::npos;
        // An empty Host leaves the URL's own in place: a request without one is no request.
        if (empty && strcasecmp(name.c_str(), "Host") == 0)
            continue;
        // libcurl reads "Name:" with nothing after it as "do not send Name"; "Name;" sends
        // the header empty.
        const std::string line = empty ? name + ";" : name + ": " + value;
        curl_slist* more = curl_slist_append(headers.get(), line.c_str());
        if (!more)
            return nullptr;
        headers.release();
        headers.reset(more);
    }
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    if (request.post) {
        curl_easy_setopt(e, CURLOPT_POST, 1L);
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
        curl_easy_setopt(e, CURLOPT_COPYPOSTFIELDS, request.body.data());
    }
    return easy;
}

OSStatus Result(CURL* easy, CURLcode code, const Sink& sink, HttpReply& reply) {
    if (code != CURLE_OK || sink.overflow) {
        reply = HttpReply();
        return ioErr;
    }
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &reply.status);
    return noErr;
}

} // namespace

OSStatus HttpPerform(const HttpRequest& request, HttpReply& reply) {
    reply = HttpReply();
    HeaderList headers;
    Sink sink{&reply.body, request.maxReplySize};
    Easy easy = MakeEasy(request, headers, sink);
    if (!easy)
        return paramErr;
    return Result(easy.get(), curl_easy_perform(easy.get()), sink, reply);
}

struct HttpTransfer::State {
    struct MultiDeleter {
        void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
    };
    std::unique_ptr<CURLM, MultiDeleter> multi;
    HeaderList headers;
    HttpReply reply;
    Sink sink{&reply.body, 0};
    Easy easy;
    Completion done;
    EventLoopTimerRef timer = nullptr;
    bool finished = false;

    void Stop() {
        if (timer)
            RemoveEventLoopTimer(timer);
        timer = nullptr;
        if (multi && easy)
            curl_multi_remove_handle(multi.get(), easy.get());
        finished = true;
    }

    static void Drive(EventLoopTimerRef, void* user) {
        State* state = static_cast<State*>(user);
        int running = 0;
        curl_multi_perform(state->multi.get(), &running);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(state->multi.get(), &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            const OSStatus status =
                Result(state->easy.get(), message->data.result, state->sink, state->reply);
            state->Stop();
            // The completion may destroy the transfer; nothing of it is touched afterwards.
            Completion done = std::move(state->done);
            const HttpReply reply = std::move(state->reply);
            if (done)
                done(status, reply);
            return;
        }
    }
};

HttpTransfer::HttpTransfer(std::unique_ptr<State> state) : _state(std::move(state)) {}

HttpTransfer::~HttpTransfer() {
    _state->Stop();
}

std::unique_ptr<HttpTransfer> HttpTransfer::Start(const HttpRequest& request, Completion done) {
    auto state = std::make_unique<State>();
    state->sink.cap = request.maxReplySize;
    state->done = std::move(done);
    state->easy = MakeEasy(request, state->headers, state->sink);
    state->multi.reset(curl_multi_init());
    if (!state->easy || !state->multi ||
        curl_multi_add_handle(state->multi.get(), state->easy.get()) != CURLM_OK)
        return nullptr;
    if (InstallEventLoopTimer(GetMainEventLoop(), 0, kPollInterval, State::Drive, state.get(),
                              &state->timer) != noErr) {
        curl_multi_remove_handle(state->multi.get(), state->easy.get());
        return nullptr;
    }
    return std::unique_ptr<HttpTransfer>(new HttpTransfer(std::move(state)));
}

bool HttpTransfer::Finished() const {
    return _state->finished;
}

bool TcpConnectProbe(const std::string& host, UInt16 port, int timeoutMs) {
    // The name is looked up inside the same time-out, so a missing resolver cannot hang the
    // probe; only plain host names and addresses are taken into the URL.
    if (host.empty() || port == 0 ||
        host.find_first_not_of(
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_:") !=
            std::string::npos)
        return false;
    const std::string name = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    InitCurl();
    Easy easy(curl_easy_init());
    if (!easy)
        return false;
    const std::string url = "http://" + name + ":" + std::to_string(port) + "/";
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_PROXY, "");
    curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT_MS, long(timeoutMs));
    curl_easy_setopt(easy.get(), CURLOPT_TIMEOUT_MS, long(timeoutMs));
    return curl_easy_perform(easy.get()) == CURLE_OK;
}

namespace test {
void SetHttpTimeouts(long connectMs, long totalMs) {
    gConnectTimeoutMs = connectMs > 0 ? connectMs : kConnectTimeoutMs;
    gTotalTimeoutMs = totalMs > 0 ? totalMs : kTotalTimeoutMs;
}
} // namespace test

} // namespace tbx
