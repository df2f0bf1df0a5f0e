#include "LoopbackHttp.h"

#include <winsock2.h>

#include <mutex>
#include <thread>

namespace testsupport {

struct LoopbackHttpServer::State {
    SOCKET listener = INVALID_SOCKET;
    std::uint16_t port = 0;
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    mutable std::mutex lock;
    std::function<HttpReply(const std::string&)> responder;
    std::vector<HttpRequestSeen> requests;
    std::vector<std::thread> connections;
    std::vector<SOCKET> open;  // shut down when the server stops, so no reader waits forever
    std::thread acceptor;

    void Close(SOCKET s) {
        {
            std::lock_guard<std::mutex> hold(lock);
            std::erase(open, s);
        }
        closesocket(s);
    }

    void Serve(SOCKET s) {
        // Whatever is not a complete head within two seconds (a TLS greeting, say) is recorded
        // as it came.
        const DWORD patience = 2000;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&patience), sizeof patience);
        std::string head;
        char buf[4096];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
            const int n = recv(s, buf, sizeof buf, 0);
            if (n <= 0) break;
            head.append(buf, static_cast<std::size_t>(n));
        }
        if (head.empty()) {
            Close(s);
            return;
        }
        head = head.substr(0, head.find("\r\n\r\n"));
        HttpRequestSeen seen;
        seen.line = head.substr(0, head.find("\r\n"));
        seen.head = head;
        seen.receivedTick = GetTickCount();
        std::size_t index;
        std::function<HttpReply(const std::string&)> choose;
        {
            std::lock_guard<std::mutex> hold(lock);
            index = requests.size();
            requests.push_back(seen);
            choose = responder;
        }
        const HttpReply reply = choose ? choose(seen.line) : HttpReply{};
        const DWORD wait = reply.never ? INFINITE : reply.delayMs;
        if (wait == 0 || WaitForSingleObject(stop, wait) == WAIT_TIMEOUT) {
            const std::string text = reply.raw ? reply.body
                                               : "HTTP/1.1 " + std::to_string(reply.status) +
                                                     (reply.status < 400 ? " OK" : " Error") + "\r\nContent-Length: " +
                                                     std::to_string(reply.body.size()) + "\r\nConnection: close\r\n" +
                                                     reply.headers + "\r\n" + reply.body;
            send(s, text.data(), static_cast<int>(text.size()), 0);
            std::lock_guard<std::mutex> hold(lock);
            requests[index].answeredTick = GetTickCount();
        }
        shutdown(s, SD_SEND);
        Close(s);
    }

    void Accept() {
        for (;;) {
            const SOCKET s = accept(listener, nullptr, nullptr);
            if (s == INVALID_SOCKET) return;  // the listener was closed
            std::lock_guard<std::mutex> hold(lock);
            open.push_back(s);
            connections.emplace_back([this, s] { Serve(s); });
        }
    }
};

LoopbackHttpServer::LoopbackHttpServer() : state_(std::make_shared<State>()) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    State& st = *state_;
    st.listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(st.listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(st.listener, 16);
    int len = sizeof addr;
    getsockname(st.listener, reinterpret_cast<sockaddr*>(&addr), &len);
    st.port = ntohs(addr.sin_port);
    st.acceptor = std::thread([&st] { st.Accept(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    State& st = *state_;
    SetEvent(st.stop);
    closesocket(st.listener);
    st.acceptor.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> hold(st.lock);
        connections.swap(st.connections);
        for (SOCKET s : st.open) shutdown(s, SD_BOTH);
    }
    for (auto& t : connections) t.join();
    CloseHandle(st.stop);
    WSACleanup();
}

std::uint16_t LoopbackHttpServer::Port() const { return state_->port; }

std::string LoopbackHttpServer::Address() const { return "http://127.0.0.1:" + std::to_string(Port()); }

void LoopbackHttpServer::SetResponder(std::function<HttpReply(const std::string&)> responder) {
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->responder = std::move(responder);
}

std::vector<HttpRequestSeen> LoopbackHttpServer::Requests() const {
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->requests;
}

std::vector<std::string> LoopbackHttpServer::RequestLines() const {
    std::vector<std::string> lines;
    for (const auto& r : Requests()) lines.push_back(r.line);
    return lines;
}

}  // namespace testsupport
