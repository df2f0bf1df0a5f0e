// The report transport. A report (an event name and a query) goes out as one HTTP GET of its
// address through WinHTTP, loaded from the system folder when the first report is made. The call
// returns once the answer is in, has failed or the time limit passed; while it waits, the
// thread's messages keep being served, so timers, hotkeys, the input hooks and further reports
// go on meanwhile. The answer's body is read and dropped: nothing in it is looked at.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorlin {

// Processes every message waiting in the thread's queue, then returns; false once it took the
// thread's quit message, which ends any wait at once.
using TMessagePump = std::function<bool()>;

class TKelvane;

// One report in flight. It lives inside one SendRequest call, unless preparing it failed after
// it was made; then it stays in its owner's Browsers until the owner goes.
class TKelvaneBrowser {
public:
    // Stamps StartTick, then opens the WinHTTP session; throws when it cannot.
    explicit TKelvaneBrowser(TKelvane& owner);
    ~TKelvaneBrowser();
    TKelvaneBrowser(const TKelvaneBrowser&) = delete;
    TKelvaneBrowser& operator=(const TKelvaneBrowser&) = delete;

    TKelvane& Owner() const { return owner_; }

    bool BeingDestroyed = false;
    std::uint32_t StartTick = 0;   // GetTickCount() at construction: the time limit counts from here
    std::uint32_t TimeLimit = 0;   // milliseconds
    std::uint32_t SettleTime = 0;  // milliseconds of message processing after a successful answer
    HWND Parent = nullptr;         // the panel it belongs to (WinHTTP itself needs no window)

    // Starts the GET of the address, which must already be in request-line form (ASCII);
    // throws when the request cannot be started.
    void Navigate(const std::string& url);
    // From Navigate until the answer is complete, has failed, or the browser goes.
    bool Busy() const;
    // Signalled when the request ends (answer, error or the browser going); null before Navigate.
    HANDLE EndedEvent() const;
    // 0 while no error is seen; else the HTTP status (400 and above), the WinHTTP error code, or
    // 408 for an answer that completed after the time limit.
    std::int32_t ErrorStatus() const;

    struct Request;  // what WinHTTP's threads share with this object

private:
    struct Release {
        void operator()(Request* request) const noexcept;
    };
    TKelvane& owner_;
    std::unique_ptr<Request, Release> request_;
    void* session_ = nullptr;  // WinHTTP handles
    void* connect_ = nullptr;
    void* handle_ = nullptr;
};

class TKelvane {
public:
    TKelvane() = default;
    virtual ~TKelvane();
    TKelvane(const TKelvane&) = delete;
    TKelvane& operator=(const TKelvane&) = delete;

    std::string URL;             // base address of every report (UTF-8)
    HWND ParentPanel = nullptr;  // not owned
    // How the waits serve the thread's messages; without one, a plain PeekMessage loop.
    TMessagePump MessagePump;
    // Every browser that exists now, in order of creation.
    const std::vector<std::unique_ptr<TKelvaneBrowser>>& Browsers() const { return browsers_; }

    // The public entry: delivers the report or loses it; never fails and tells nothing.
    void Send(std::string_view name, std::string_view query) noexcept;
    void SetPanel(HWND panel);

    virtual TKelvaneBrowser* CreateBrowser();
    // Destroys the browser unless it is null or already being destroyed.
    virtual void FreeBrowser(TKelvaneBrowser* browser);
    // True when the answer came without error within the time limit, after the settle time.
    virtual bool WaitForBrowser(TKelvaneBrowser* browser);
    virtual bool SendRequest(std::string_view name, std::string_view query, std::uint32_t settleTime,
                             std::uint32_t timeLimit);
    // SendRequest with 1000 ms of settling and a 10000 ms limit.
    virtual bool SendDefault(std::string_view name, std::string_view query);

protected:
    // False once the thread's quit message was taken.
    bool ProcessMessages();

private:
    std::vector<std::unique_ptr<TKelvaneBrowser>> browsers_;
};

// The one transport of the program: null until StartKelvane and after StopKelvane.
extern std::unique_ptr<TKelvane> KelvaneInstance;

// Creates KelvaneInstance when there is none, then sets its base address, its panel and its
// message pump; a second call keeps the object. Returns true.
bool StartKelvane(std::string_view baseUrl, HWND panel, TMessagePump pump = {});
// Destroys KelvaneInstance when there is one. Returns true.
bool StopKelvane();

// Processes messages through pump for at least ms milliseconds, at least once; ends early when
// the pump took the quit message.
void PumpMessagesFor(std::uint32_t ms, const TMessagePump& pump);

}  // namespace quorlin
