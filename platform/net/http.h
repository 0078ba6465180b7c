// HTTP requests over libcurl: synchronous, or asynchronous with the reply delivered on the
// main thread by a timer of the main event loop. Every request is bounded by a connect
// time-out, a total time-out and a cap on the reply's size. Only http and https are spoken;
// redirects are not followed.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/types.h"

namespace tbx {

struct HttpRequest {
    std::string url;
    bool post = false;
    // Sent in this order; a value of blanks only is sent as an empty header, an empty Host
    // leaves the URL's host in place. A name or value holding CR, LF or NUL, or a name that
    // is empty or holds a colon, makes the request fail with paramErr, sending nothing.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::size_t maxReplySize = 16u << 20;
};

struct HttpReply {
    long status = 0; // 0 when no reply came
    std::string body;
};

// noErr when a whole reply came (any status); the reply says what it was. A connection that
// fails or a reply that runs out of time or over the cap gives an error and no body.
OSStatus HttpPerform(const HttpRequest& request, HttpReply& reply);

// One asynchronous request. The completion runs once, on the main thread, from the main
// event loop; destroying the transfer before then cancels it and nothing runs.
class HttpTransfer {
public:
    using Completion = std::function<void(OSStatus, const HttpReply&)>;

    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;
    ~HttpTransfer();

    // Null when the request cannot be started.
    static std::unique_ptr<HttpTransfer> Start(const HttpRequest& request, Completion done);
    bool Finished() const;

private:
    struct State;
    explicit HttpTransfer(std::unique_ptr<State> state);
    std::unique_ptr<State> _state;
};

// Whether a TCP connection to host:port opens within the time-out (milliseconds), the name's
// lookup included. A host is a name, an IPv4 address or an IPv6 address without brackets.
bool TcpConnectProbe(const std::string& host, UInt16 port, int timeoutMs);

namespace test {
// Time-outs of every request in milliseconds; zeros put the defaults back.
void SetHttpTimeouts(long connectMs, long totalMs);
} // namespace test

} // namespace tbx
