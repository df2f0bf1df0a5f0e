#include "online/Kelvane_win.h"

#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "base/System_win.h"
#include "base/Unique_win.h"
#include "online/Reports.h"

namespace quorlin {

std::unique_ptr<TKelvane> KelvaneInstance;

namespace {

constexpr wchar_t kUserAgent[] = L"Quorlin";

class EKelvaneError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The WinHTTP calls, taken from the system folder's winhttp.dll.
struct WinHttp {
    decltype(&WinHttpOpen) Open = nullptr;
    decltype(&WinHttpConnect) Connect = nullptr;
    decltype(&WinHttpOpenRequest) OpenRequest = nullptr;
    decltype(&WinHttpSendRequest) SendRequest = nullptr;
    decltype(&WinHttpReceiveResponse) ReceiveResponse = nullptr;
    decltype(&WinHttpQueryHeaders) QueryHeaders = nullptr;
    decltype(&WinHttpReadData) ReadData = nullptr;
    decltype(&WinHttpSetOption) SetOption = nullptr;
    decltype(&WinHttpSetStatusCallback) SetStatusCallback = nullptr;
    decltype(&WinHttpCloseHandle) CloseHandle = nullptr;
    decltype(&WinHttpCrackUrl) CrackUrl = nullptr;
    decltype(&WinHttpGetDefaultProxyConfiguration) GetDefaultProxyConfiguration = nullptr;
    decltype(&WinHttpGetIEProxyConfigForCurrentUser) GetIEProxyConfigForCurrentUser = nullptr;
};

// Null when the DLL or one of its calls is missing. The DLL is never unloaded: WinHTTP's own
// threads may still deliver a handle's closing notification after our last call.
const WinHttp* Api() {
    static const WinHttp api = [] {
        WinHttp a;
        HMODULE m = LoadSystemLibrary(L"winhttp.dll");
        if (!m) return a;
        a.Open = GetProc<decltype(a.Open)>(m, "WinHttpOpen");
        a.Connect = GetProc<decltype(a.Connect)>(m, "WinHttpConnect");
        a.OpenRequest = GetProc<decltype(a.OpenRequest)>(m, "WinHttpOpenRequest");
        a.SendRequest = GetProc<decltype(a.SendRequest)>(m, "WinHttpSendRequest");
        a.ReceiveResponse = GetProc<decltype(a.ReceiveResponse)>(m, "WinHttpReceiveResponse");
        a.QueryHeaders = GetProc<decltype(a.QueryHeaders)>(m, "WinHttpQueryHeaders");
        a.ReadData = GetProc<decltype(a.ReadData)>(m, "WinHttpReadData");
        a.SetOption = GetProc<decltype(a.SetOption)>(m, "WinHttpSetOption");
        a.SetStatusCallback = GetProc<decltype(a.SetStatusCallback)>(m, "WinHttpSetStatusCallback");
        a.CloseHandle = GetProc<decltype(a.CloseHandle)>(m, "WinHttpCloseHandle");
        a.CrackUrl = GetProc<decltype(a.CrackUrl)>(m, "WinHttpCrackUrl");
        a.GetDefaultProxyConfiguration =
            GetProc<decltype(a.GetDefaultProxyConfiguration)>(m, "WinHttpGetDefaultProxyConfiguration");
        a.GetIEProxyConfigForCurrentUser =
            GetProc<decltype(a.GetIEProxyConfigForCurrentUser)>(m, "WinHttpGetIEProxyConfigForCurrentUser");
        return a;
    }();
    const bool complete = api.Open && api.Connect && api.OpenRequest && api.SendRequest && api.ReceiveResponse &&
                          api.QueryHeaders && api.ReadData && api.SetOption && api.SetStatusCallback &&
                          api.CloseHandle && api.CrackUrl && api.GetDefaultProxyConfiguration &&
                          api.GetIEProxyConfigForCurrentUser;
    return complete ? &api : nullptr;
}

void FreeGlobal(const wchar_t* text) {
    if (text) GlobalFree(const_cast<wchar_t*>(text));
}

// The proxy the browser would take: the machine's WinHTTP setting (under Wine also http_proxy),
// and when that names none, the user's own proxy setting.
HINTERNET OpenSession(const WinHttp& api) {
    WINHTTP_PROXY_INFO machine{};
    const bool machineProxy = api.GetDefaultProxyConfiguration(&machine) &&
                              machine.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && machine.lpszProxy;
    FreeGlobal(machine.lpszProxy);
    FreeGlobal(machine.lpszProxyBypass);
    if (!machineProxy) {
        WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
        if (api.GetIEProxyConfigForCurrentUser(&user)) {
            HINTERNET session = nullptr;
            if (user.lpszProxy && *user.lpszProxy)
                session = api.Open(kUserAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, user.lpszProxy,
                                   user.lpszProxyBypass ? user.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS,
                                   WINHTTP_FLAG_ASYNC);
            FreeGlobal(user.lpszAutoConfigUrl);
            FreeGlobal(user.lpszProxy);
            FreeGlobal(user.lpszProxyBypass);
            if (session) return session;
        }
    }
    return api.Open(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                    WINHTTP_FLAG_ASYNC);
}

bool DefaultPump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT && msg.hwnd != nullptr) continue;  // posted to a window: from elsewhere
        if (msg.message == WM_QUIT) {
            // Put back for the loop outside the wait, which is the one to end.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

bool Pump(const TMessagePump& pump) { return pump ? pump() : DefaultPump(); }

}  // namespace

// Shared by the browser (on the GUI thread) and WinHTTP's callbacks (on WinHTTP's threads). Each
// side holds a reference: the browser until it goes, WinHTTP until the request handle's closing
// notification; whoever lets go last frees it.
struct TKelvaneBrowser::Request {
    std::atomic<int> refs{1};
    std::atomic<bool> busy{false};
    std::atomic<std::int32_t> error{0};
    std::uint32_t startTick = 0;  // copied before the request starts, read by the callbacks
    std::uint32_t timeLimit = 0;
    // Held while a callback calls WinHTTP and while the browser marks the request closed, so no
    // call reaches a handle after the browser closed it. A critical section may be entered again
    // by its holder, as when WinHTTP calls back from inside a call.
    CRITICAL_SECTION lock;
    bool closing = false;
    char sink[1024] = {};  // the body is read into this and dropped
    // Set when busy ends, so the wait wakes for the answer as it does for a message.
    UniqueHandle ended{CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    Request() { InitializeCriticalSection(&lock); }
    ~Request() { DeleteCriticalSection(&lock); }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    class Hold {
    public:
        explicit Hold(Request& r) : r_(r) { EnterCriticalSection(&r_.lock); }
        ~Hold() { LeaveCriticalSection(&r_.lock); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        Request& r_;
    };

    void Unref() {
        if (refs.fetch_sub(1) == 1) delete this;
    }

    void Finish(std::int32_t code) {
        // An answer that completes after the limit counts as late, as the wait has given up on it.
        if (code == 0 && ElapsedTicks(GetTickCount(), startTick) >= timeLimit) code = 408;
        std::int32_t none = 0;
        if (code != 0) error.compare_exchange_strong(none, code);
        busy = false;
        if (ended) SetEvent(ended.get());
    }

    void ReadMore(const WinHttp& api, HINTERNET handle) {
        if (!api.ReadData(handle, sink, sizeof sink, nullptr)) Finish(static_cast<std::int32_t>(GetLastError()));
    }

    static void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
        auto* r = reinterpret_cast<Request*>(context);
        if (!r) return;
        if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
            r->Unref();
            return;
        }
        const Hold hold(*r);
        if (r->closing || !r->busy) return;
        const WinHttp& api = *Api();
        switch (status) {
        case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
            if (!api.ReceiveResponse(handle, nullptr)) r->Finish(static_cast<std::int32_t>(GetLastError()));
            break;
        case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: {
            DWORD code = 0, size = sizeof code;
            if (!api.QueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                  WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX))
                r->Finish(static_cast<std::int32_t>(GetLastError()));
            else if (code >= 400)
                r->Finish(static_cast<std::int32_t>(code));
            else
                r->ReadMore(api, handle);
            break;
        }
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
            if (length == 0)
                r->Finish(0);
            else
                r->ReadMore(api, handle);
            break;
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
            r->Finish(static_cast<std::int32_t>(static_cast<const WINHTTP_ASYNC_RESULT*>(info)->dwError));
            break;
        default:
            break;
        }
    }
};

void TKelvaneBrowser::Release::operator()(Request* request) const noexcept { request->Unref(); }

// ---- TKelvaneBrowser -----------------------------------------------------------------------

TKelvaneBrowser::TKelvaneBrowser(TKelvane& owner) : owner_(owner) {
    StartTick = GetTickCount();
    const WinHttp* api = Api();
    if (!api) throw EKelvaneError("WinHTTP is not available");
    request_.reset(new Request);
    session_ = OpenSession(*api);
    if (!session_) throw EKelvaneError("cannot open a WinHTTP session");
}

TKelvaneBrowser::~TKelvaneBrowser() {
    BeingDestroyed = true;
    if (request_) {
        const Request::Hold hold(*request_);
        request_->closing = true;
        request_->busy = false;
    }
    // Outside the lock: closing may call back, on this thread or another.
    if (const WinHttp* api = Api()) {
        for (void* h : {handle_, connect_, session_})
            if (h) api->CloseHandle(h);
    }
}

void TKelvaneBrowser::Navigate(const std::string& url) {
    const WinHttp& api = *Api();  // there: the constructor checked
    std::wstring wide;
    for (const char c : url) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));

    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = DWORD(-1);
    if (!api.CrackUrl(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts) || !parts.lpszHostName ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        throw EKelvaneError("not an http address");
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    // Path and query follow each other in the address: the request line takes them as they are.
    std::wstring object = parts.lpszUrlPath && *parts.lpszUrlPath ? parts.lpszUrlPath : L"/";

    connect_ = api.Connect(session_, host.c_str(), parts.nPort, 0);
    if (!connect_) throw EKelvaneError("cannot connect");
    // No cache on the way (REFRESH) and no escaping by WinHTTP: the address is sent as given.
    const DWORD flags = WINHTTP_FLAG_REFRESH | WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY |
                        (parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    handle_ = api.OpenRequest(connect_, L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                              WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
    if (!handle_) throw EKelvaneError("cannot open the request");

    // The report needs no redirect, and none may lead to another scheme.
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    if (!api.SetOption(handle_, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never))
        throw EKelvaneError("cannot switch redirects off");
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(request_.get());
    if (!api.SetOption(handle_, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context))
        throw EKelvaneError("cannot attach the request");
    ++request_->refs;  // WinHTTP's, given back with the handle's closing notification
    if (api.SetStatusCallback(handle_, &Request::OnStatus,
                              WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES,
                              0) == WINHTTP_INVALID_STATUS_CALLBACK) {
        --request_->refs;
        throw EKelvaneError("cannot watch the request");
    }
    request_->startTick = StartTick;
    request_->timeLimit = TimeLimit;
    request_->busy = true;
    if (!api.SendRequest(handle_, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, context)) {
        request_->busy = false;
        throw EKelvaneError("cannot send the request");
    }
}

bool TKelvaneBrowser::Busy() const { return request_ && request_->busy; }

HANDLE TKelvaneBrowser::EndedEvent() const { return request_ ? request_->ended.get() : nullptr; }

std::int32_t TKelvaneBrowser::ErrorStatus() const { return request_ ? request_->error.load() : 0; }

// ---- TKelvane ------------------------------------------------------------------------------

TKelvane::~TKelvane() {
    for (std::size_t i = browsers_.size(); i-- > 0;)
        if (i < browsers_.size()) FreeBrowser(browsers_[i].get());
}

void TKelvane::Send(std::string_view name, std::string_view query) noexcept {
    try {
        (void)SendDefault(name, query);
    } catch (...) {
        // A report either arrives or is lost, silently.
    }
}

void TKelvane::SetPanel(HWND panel) {
    ParentPanel = panel;
    for (const auto& browser : browsers_)
        if (!browser->BeingDestroyed) browser->Parent = panel;
}

TKelvaneBrowser* TKelvane::CreateBrowser() {
    browsers_.push_back(std::make_unique<TKelvaneBrowser>(*this));
    TKelvaneBrowser* browser = browsers_.back().get();
    browser->Parent = ParentPanel;
    return browser;
}

void TKelvane::FreeBrowser(TKelvaneBrowser* browser) {
    if (!browser || browser->BeingDestroyed) return;
    browser->BeingDestroyed = true;
    const auto at = std::find_if(browsers_.begin(), browsers_.end(),
                                 [browser](const auto& b) { return b.get() == browser; });
    if (at == browsers_.end()) return;
    const std::unique_ptr<TKelvaneBrowser> doomed = std::move(*at);
    browsers_.erase(at);
}

bool TKelvane::ProcessMessages() { return Pump(MessagePump); }

bool TKelvane::WaitForBrowser(TKelvaneBrowser* browser) {
    while (browser && browser->Busy()) {
        if (browser->ErrorStatus() != 0) return false;
        const std::uint32_t elapsed = ElapsedTicks(GetTickCount(), browser->StartTick);
        if (elapsed >= browser->TimeLimit) return false;
        if (!ProcessMessages()) return false;
        if (!browser->Busy()) break;
        // Sleeps until a message, the answer or the limit, whichever comes first.
        HANDLE ended = browser->EndedEvent();
        MsgWaitForMultipleObjectsEx(ended ? 1 : 0, ended ? &ended : nullptr, browser->TimeLimit - elapsed,
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (!browser || browser->ErrorStatus() != 0) return false;
    if (browser->SettleTime > 0) PumpMessagesFor(browser->SettleTime, [this] { return ProcessMessages(); });
    return true;
}

bool TKelvane::SendRequest(std::string_view name, std::string_view query, std::uint32_t settleTime,
                           std::uint32_t timeLimit) {
    TKelvaneBrowser* browser = CreateBrowser();
    struct Freeing {
        TKelvane& owner;
        TKelvaneBrowser* browser;
        ~Freeing() { owner.FreeBrowser(browser); }
    } freeing{*this, browser};
    browser->SettleTime = settleTime;
    browser->TimeLimit = timeLimit;
    browser->Navigate(RequestLineForm(ReportUrl(URL, name, query)));
    return WaitForBrowser(browser);
}

bool TKelvane::SendDefault(std::string_view name, std::string_view query) {
    return SendRequest(name, query, 1000, 10000);
}

// ---- Module --------------------------------------------------------------------------------

bool StartKelvane(std::string_view baseUrl, HWND panel, TMessagePump pump) {
    if (!KelvaneInstance) KelvaneInstance = std::make_unique<TKelvane>();
    KelvaneInstance->URL = std::string(baseUrl);
    KelvaneInstance->MessagePump = std::move(pump);
    KelvaneInstance->SetPanel(panel);
    return true;
}

bool StopKelvane() {
    KelvaneInstance.reset();
    return true;
}

void PumpMessagesFor(std::uint32_t ms, const TMessagePump& pump) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (!Pump(pump)) return;
        const std::uint32_t elapsed = ElapsedTicks(GetTickCount(), start);
        if (elapsed >= ms) return;
        // Sleeps until the next message instead of spinning; any message ends the wait at once.
        MsgWaitForMultipleObjectsEx(0, nullptr, ms - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace quorlin
