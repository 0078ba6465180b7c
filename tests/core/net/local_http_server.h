// A one-thread HTTP server on 127.0.0.1 for the network tests. It answers each request with
// the reply it was given, or holds the connection without answering; every wait is bounded.
#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace stravel::testing {

class LocalHttpServer {
public:
    // `reply` is the whole response; empty holds each connection open without answering.
    explicit LocalHttpServer(std::string reply) : _reply(std::move(reply)) {
        _listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(_listen, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(_listen, 8) != 0 ||
            getsockname(_listen, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        _port = ntohs(address.sin_port);
        _thread = std::thread([this] { Serve(); });
    }
    ~LocalHttpServer() {
        _stop = true;
        if (_thread.joinable())
            _thread.join();
        close(_listen);
    }

    static std::string Reply(int status, const std::string& body) {
        return "HTTP/1.1 " + std::to_string(status) +
               " X\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }

    int Port() const { return _port; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(_port); }
    // Every request received so far, head and body.
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(_mutex);
        return _requests;
    }
    // Connections the client closed before an answer came.
    int ClosedByClient() const { return _closedByClient; }

private:
    // A request is complete when its head has ended and Content-Length bytes followed.
    static bool Complete(const std::string& text) {
        const std::size_t head = text.find("\r\n\r\n");
        if (head == std::string::npos)
            return false;
        std::size_t length = 0;
        const std::size_t field = text.find("Content-Length: ");
        if (field != std::string::npos && field < head)
            length = std::stoul(text.substr(field + 16));
        return text.size() >= head + 4 + length;
    }

    void Serve() {
        while (!_stop) {
            pollfd p{_listen, POLLIN, 0};
            if (poll(&p, 1, 50) != 1)
                continue;
            const int client = accept4(_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            Handle(client);
            close(client);
        }
    }

    void Handle(int client) {
        std::string text;
        bool recorded = false;
        char buffer[4096];
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!_stop && std::chrono::steady_clock::now() < deadline) {
            pollfd p{client, POLLIN, 0};
            if (poll(&p, 1, 50) != 1)
                continue;
            const ssize_t n = read(client, buffer, sizeof buffer);
            if (n <= 0) {
                if (recorded)
                    ++_closedByClient;
                return; // a probe, or the client gave up
            }
            text.append(buffer, std::size_t(n));
            if (recorded || !Complete(text))
                continue;
            recorded = true;
            {
                std::lock_guard<std::mutex> lock(_mutex);
                _requests.push_back(text);
            }
            if (_reply.empty())
                continue; // holds the connection
            (void)!write(client, _reply.data(), _reply.size());
            return;
        }
    }

    std::string _reply;
    int _listen = -1;
    int _port = 0;
    std::atomic<bool> _stop{false};
    std::atomic<int> _closedByClient{0};
    std::mutex _mutex;
    std::vector<std::string> _requests;
    std::thread _thread;
};

} // namespace stravel::testing
