// A small HTTP server on 127.0.0.1 that a test controls: it records the head of every request it
// gets and answers as the test tells it, late or never if need be. Pointed to as a proxy, it
// records the absolute addresses a client asks its proxy for.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct HttpReply {
    int status = 200;
    std::string headers;  // extra header lines, each ending in "\r\n"
    std::string body;
    DWORD delayMs = 0;    // wait this long before answering
    bool never = false;   // keep the connection open and never answer
    bool raw = false;     // send the body alone, as it stands: no status line, no headers
};

struct HttpRequestSeen {
    std::string line;     // the request line, e.g. "GET /ping/start/?a=1 HTTP/1.1"
    std::string head;     // request line and headers
    DWORD receivedTick = 0;
    DWORD answeredTick = 0;  // when the whole answer was handed to the socket; 0 before
};

class LoopbackHttpServer {
public:
    // Listens on a free port; each connection is served on its own thread.
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::uint16_t Port() const;
    std::string Address() const;  // "http://127.0.0.1:PORT"
    // Chooses the answer by the request line; the default answers 200 with a short body.
    void SetResponder(std::function<HttpReply(const std::string& requestLine)> responder);

    std::vector<HttpRequestSeen> Requests() const;
    std::vector<std::string> RequestLines() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace testsupport
