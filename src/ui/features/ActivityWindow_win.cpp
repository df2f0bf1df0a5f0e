#include "ui/features/ActivityWindow_win.h"

#include <commctrl.h>

#include <array>
#include <cstring>

#include "base/Decimal.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "blocker/PressLog_win.h"
#include "settings/Settings.h"
#include "shell/Dpi.h"
#include "shell/Dpi_win.h"
#include "shell/Placement_win.h"
#include "ui/model/StatusText.h"

namespace quorlin {

namespace {

constexpr wchar_t kClassName[] = L"QuorlinActivity";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr UINT_PTR kReadTimer = 1;
constexpr UINT kReadEvery = 250;  // ms: new presses show about as soon as a user looks
constexpr UINT_PTR kObserveTimer = 2;
constexpr UINT kObserveFor = 30000;
enum : int { kUse = 101, kCopy, kClear, kDiagnostics, kObserve };

// The design, in pixels at 96 DPI.
constexpr int kWidth = 640, kHeight = 480, kMinWidth = 600, kMinHeight = 400;
constexpr int kMargin = 8, kPictureHeight = 150, kRowHeight = 25, kSentenceHeight = 32, kUseWidth = 120;
constexpr int kColumnWidths[6] = {70, 60, 95, 125, 120, 125};
constexpr int kButtonWidths[4] = {90, 90, 130, 250};

// Colours of the picture, by result: palms in red, repeated presses in violet, passed ones in green.
constexpr COLORREF kResultColours[3] = {RGB(214, 69, 65), RGB(142, 68, 173), RGB(46, 160, 67)};
constexpr COLORREF kLineColour = RGB(0, 90, 200);

std::wstring Text(UINT id) { return LoadResString(id); }

activity::Words LoadWords() {
    activity::Words w;
    const UINT columns[] = {IDS_ACT_COL_TIME,   IDS_ACT_COL_BUTTON,  IDS_ACT_COL_AFTER,
                            IDS_ACT_COL_RESULT, IDS_ACT_COL_PROGRAM, IDS_ACT_COL_DECIDED};
    for (std::size_t i = 0; i < w.Columns.size(); ++i) w.Columns[i] = Text(columns[i]);
    const UINT buttons[] = {IDS_ACT_LEFT, IDS_ACT_RIGHT, IDS_ACT_MIDDLE};
    for (std::size_t i = 0; i < w.Buttons.size(); ++i) w.Buttons[i] = Text(buttons[i]);
    const UINT results[] = {IDS_ACT_BLOCKED, IDS_ACT_REPEATED, IDS_ACT_PASSED};
    for (std::size_t i = 0; i < w.Results.size(); ++i) w.Results[i] = Text(results[i]);
    const UINT deciders[] = {IDS_ACT_BY_INTERVAL, IDS_ACT_BY_SHORT_STAGE, IDS_ACT_BY_RULE, IDS_ACT_BY_EXTERNAL,
                             IDS_ACT_BY_FULL_SCREEN};
    for (std::size_t i = 0; i < w.Deciders.size(); ++i) w.Deciders[i] = Text(deciders[i]);
    return w;
}

// Milliseconds after local midnight, now.
std::uint32_t LocalTimeOfDay() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return ((t.wHour * 60u + t.wMinute) * 60u + t.wSecond) * 1000u + t.wMilliseconds;
}

HWND MakeControl(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id) {
    return CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void Place(HWND control, int x, int y, int w, int h) {
    SetWindowPos(control, nullptr, x, y, w > 0 ? w : 0, h > 0 ? h : 0, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

int MonitorDpi(HMONITOR monitor) {
    // Windows 8.1 and later say it per monitor; before, every monitor has the system's.
    using Fn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const Fn forMonitor = [] {
        const HMODULE shcore = LoadSystemLibrary(L"shcore.dll");
        return shcore ? GetProc<Fn>(shcore, "GetDpiForMonitor") : nullptr;
    }();
    UINT x = 0, y = 0;
    if (forMonitor && monitor && SUCCEEDED(forMonitor(monitor, 0, &x, &y)) && x) return static_cast<int>(x);
    return SystemDpi();
}

ActivityWindow::ActivityWindow(Host host) : host_(std::move(host)), words_(LoadWords()), read_(host_.readFrom) {
    TWindowClass::Options options;
    options.cursor = LoadCursorW(nullptr, IDC_ARROW);
    options.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    options.icon = TApplication::Instance().Icon();
    CreateHandle(kClassName, options, kExStyle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight, nullptr);
    SetWindowTextW(Handle(), Text(IDS_ACTIVITY_TITLE).c_str());
    MakeControls();
    ApplyDpi(WindowDpi(Handle()));
    const SIZE outer = OuterSizeForClient(S(kWidth), S(kHeight), kStyle, kExStyle, dpi_);
    SetWindowPos(Handle(), nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterInWorkArea(Handle());
    ReadRing();
    Show();
    TApplication::Instance().AddMessageFilter(*this);
    SetTimer(Handle(), kReadTimer, kReadEvery, nullptr);
    ShowWindow(Handle(), SW_SHOW);
    BringToFront();
}

ActivityWindow::~ActivityWindow() {
    TApplication::Instance().RemoveMessageFilter(*this);
    Observe(false);
    if (Handle()) KillTimer(Handle(), kReadTimer);
}

int ActivityWindow::S(int designValue) const { return ScaleForDpi(designValue, dpi_); }

void ActivityWindow::BringToFront() {
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    SetFocus(list_);
}

void ActivityWindow::MakeControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL, 0, 0, 0,
                            0, Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (int i = 0; i < 6; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.fmt = i == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.pszText = words_.Columns[static_cast<std::size_t>(i)].data();
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    sentence_ = MakeControl(Handle(), L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0);
    use_ = MakeControl(Handle(), L"BUTTON", L"", WS_TABSTOP | BS_PUSHBUTTON, kUse);
    copy_ = MakeControl(Handle(), L"BUTTON", Text(IDS_ACT_COPY), WS_TABSTOP | BS_PUSHBUTTON, kCopy);
    clear_ = MakeControl(Handle(), L"BUTTON", Text(IDS_ACT_CLEAR), WS_TABSTOP | BS_PUSHBUTTON, kClear);
    diagnostics_ = MakeControl(Handle(), L"BUTTON", Text(IDS_ACT_DIAGNOSTICS), WS_TABSTOP | BS_PUSHBUTTON, kDiagnostics);
    observe_ = MakeControl(Handle(), L"BUTTON", Text(IDS_ACT_OBSERVE), WS_TABSTOP | BS_PUSHBUTTON, kObserve);
}

// Raw input for the next 30 seconds, counted and deciding nothing; the window's closing ends it too.
void ActivityWindow::Observe(bool on) {
    if (on == observing_) return;
    observing_ = on;
    host_.observe(on);
    if (!Handle()) return;
    if (on) SetTimer(Handle(), kObserveTimer, kObserveFor, nullptr);
    else KillTimer(Handle(), kObserveTimer);
    SetWindowTextW(observe_, Text(on ? IDS_ACT_OBSERVING : IDS_ACT_OBSERVE).c_str());
    EnableWindow(observe_, !on);
    if (!on && GetFocus() == nullptr) SetFocus(list_);
}

void ActivityWindow::ApplyDpi(int dpi) {
    dpi_ = dpi > 0 ? dpi : kDesignDpi;
    NONCLIENTMETRICSW metrics{};
    font_.reset(NonClientMetricsForDpi(metrics, dpi_) ? CreateFontIndirectW(&metrics.lfMessageFont)
                                                      : CreateArialForDpi(12, FW_NORMAL, dpi_).release());
    for (HWND control : {list_, sentence_, use_, copy_, clear_, diagnostics_, observe_})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    for (int i = 0; i < 6; ++i) SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), S(kColumnWidths[i]));
}

void ActivityWindow::Layout() {
    RECT client{};
    GetClientRect(Handle(), &client);
    const int m = S(kMargin), w = client.right, h = client.bottom, row = S(kRowHeight);
    const int sentenceTop = m + S(kPictureHeight) + m;
    Place(sentence_, m, sentenceTop, w - 3 * m - S(kUseWidth), S(kSentenceHeight));
    Place(use_, w - m - S(kUseWidth), sentenceTop, S(kUseWidth), row);
    const int listTop = sentenceTop + S(kSentenceHeight) + m;
    const int buttonsTop = h - m - row;
    Place(list_, m, listTop, w - 2 * m, buttonsTop - m - listTop);
    int x = m;
    const HWND buttons[] = {copy_, clear_, diagnostics_, observe_};
    for (int i = 0; i < 4; ++i) {
        Place(buttons[i], x, buttonsTop, S(kButtonWidths[i]), row);
        x += S(kButtonWidths[i]) + m;
    }
    RECT picture{m, m, w - m, m + S(kPictureHeight)};
    InvalidateRect(Handle(), &picture, FALSE);
}

bool ActivityWindow::ReadRing() {
    const std::uint32_t now = GetTickCount();
    const std::uint32_t today = LocalTimeOfDay();
    constexpr std::uint32_t kDay = 86400000;
    bool any = false;
    read_ = PressLog.Read(read_, [&](const activity::Press& p) {
        activity::Entry e;
        e.press = p;
        e.TimeOfDay = (today + kDay - (now - p.Tick) % kDay) % kDay;
        const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(p.Window));
        DWORD process = 0;
        if (window && GetWindowThreadProcessId(window, &process)) e.Program = names_.NameOf(process);
        e.Dpi = MonitorDpi(MonitorFromPoint({p.X, p.Y}, MONITOR_DEFAULTTONEAREST));
        log_.Add(std::move(e));
        any = true;
    });
    return any;
}

void ActivityWindow::Show() {
    const auto listed = log_.Listed();
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    int row = 0;
    for (const activity::Entry* e : listed) {
        auto cells = activity::Cells(*e, words_);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = cells[0].data();
        SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < 6; ++column) {
            item.iSubItem = column;
            item.pszText = cells[static_cast<std::size_t>(column)].data();
            SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        }
        ++row;
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);

    std::array<std::uint32_t, kIntervalList.size()> intervals{};
    for (std::size_t i = 0; i < intervals.size(); ++i) intervals[i] = kIntervalList[i].Milliseconds;
    const activity::Suggestion s = activity::Suggest(listed, intervals);
    using Kind = activity::Suggestion::Kind;
    suggested_ = s.What == Kind::Interval ? s.Milliseconds : 0;
    const std::wstring ms = DecimalTextW(s.Milliseconds);
    SetWindowTextW(sentence_, (s.What == Kind::TooLittle ? Text(IDS_ACT_TOO_LITTLE)
                               : s.What == Kind::Conflict ? Text(IDS_ACT_CONFLICT)
                                                          : FormatText(Text(IDS_ACT_SUGGEST), {ms}))
                                  .c_str());
    SetWindowTextW(use_, FormatText(Text(IDS_ACT_USE), {ms}).c_str());
    if (!suggested_ && GetFocus() == use_) SetFocus(list_);
    ShowWindow(use_, suggested_ ? SW_SHOW : SW_HIDE);
    // Offered while there is nothing to report: no device option on, nothing counted.
    const bool offer = observing_ || host_.canObserve();
    if (!offer && GetFocus() == observe_) SetFocus(list_);
    ShowWindow(observe_, offer ? SW_SHOW : SW_HIDE);
    shownInterval_ = host_.interval();
    RECT client{};
    GetClientRect(Handle(), &client);
    RECT picture{S(kMargin), S(kMargin), client.right - S(kMargin), S(kMargin) + S(kPictureHeight)};
    InvalidateRect(Handle(), &picture, FALSE);
}

void ActivityWindow::Paint(HDC dc, const RECT& area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return;
    // Drawn off screen, then copied: no flicker while presses come in or the window is sized.
    const HDC mem = CreateCompatibleDC(dc);
    UniqueGdiObject bitmap(CreateCompatibleBitmap(dc, w, h));
    const HGDIOBJ oldBitmap = SelectObject(mem, bitmap.get());
    const HGDIOBJ oldFont = SelectObject(mem, font_.get());
    RECT all{0, 0, w, h};
    FillRect(mem, &all, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(mem, &all, GetSysColorBrush(COLOR_BTNSHADOW));
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, GetSysColor(COLOR_WINDOWTEXT));
    TEXTMETRICW tm{};
    GetTextMetricsW(mem, &tm);
    const int line = tm.tmHeight;
    // The plot between the legend above and the axis labels below.
    const RECT plot{S(6), S(4) + line + S(4), w - S(6), h - S(4) - line};
    const int plotW = plot.right - plot.left, plotH = plot.bottom - plot.top;

    // Legend: a swatch and the result's word each.
    int x = plot.left;
    for (std::size_t r = 0; r < 3; ++r) {
        RECT swatch{x, S(4) + (line - S(10)) / 2, x + S(10), S(4) + (line - S(10)) / 2 + S(10)};
        UniqueGdiObject brush(CreateSolidBrush(kResultColours[r]));
        FillRect(mem, &swatch, static_cast<HBRUSH>(brush.get()));
        RECT label{swatch.right + S(4), S(4), w, S(4) + line};
        DrawTextW(mem, words_.Results[r].c_str(), -1, &label, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        DrawTextW(mem, words_.Results[r].c_str(), -1, &label, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
        x = label.right + S(14);
    }

    // Stacked bars, one per 100 ms.
    if (plotW > 0 && plotH > 0) {
        const activity::Histogram histogram = activity::MakeHistogram(log_.Listed());
        const std::uint32_t highest = histogram.Highest();
        for (std::size_t bin = 0; bin < activity::kBins && highest; ++bin) {
            const int left = plot.left + static_cast<int>(bin) * plotW / static_cast<int>(activity::kBins);
            const int right = plot.left + static_cast<int>(bin + 1) * plotW / static_cast<int>(activity::kBins) - S(1);
            int bottom = plot.bottom;
            for (std::size_t r = 0; r < 3; ++r) {
                const int height = static_cast<int>(histogram.Counts[r][bin] * static_cast<std::uint32_t>(plotH) / highest);
                if (!height) continue;
                RECT bar{left, bottom - height, right, bottom};
                UniqueGdiObject brush(CreateSolidBrush(kResultColours[r]));
                FillRect(mem, &bar, static_cast<HBRUSH>(brush.get()));
                bottom -= height;
            }
        }
        // The axis and its labels every 500 ms.
        RECT axis{plot.left, plot.bottom, plot.right, plot.bottom + S(1)};
        FillRect(mem, &axis, GetSysColorBrush(COLOR_BTNSHADOW));
        for (std::uint32_t ms = 0; ms <= activity::kListedAfterKey; ms += 500) {
            const int at = plot.left + static_cast<int>(ms) * plotW / static_cast<int>(activity::kListedAfterKey);
            const std::wstring label = DecimalTextW(ms);
            RECT r{at - S(40), plot.bottom + S(2), at + S(40), h};
            const UINT align = ms == 0 ? DT_LEFT : ms == activity::kListedAfterKey ? DT_RIGHT : DT_CENTER;
            if (ms == 0) r.left = at;
            if (ms == activity::kListedAfterKey) r.right = at;
            DrawTextW(mem, label.c_str(), -1, &r, align | DT_SINGLELINE | DT_NOPREFIX);
        }
        // The interval in force, labelled with its value.
        const std::uint32_t interval = shownInterval_ < activity::kListedAfterKey ? shownInterval_ : activity::kListedAfterKey;
        const int at = plot.left + static_cast<int>(interval) * plotW / static_cast<int>(activity::kListedAfterKey);
        UniqueGdiObject pen(CreatePen(PS_SOLID, S(2), kLineColour));
        const HGDIOBJ oldPen = SelectObject(mem, pen.get());
        MoveToEx(mem, at, plot.top, nullptr);
        LineTo(mem, at, plot.bottom);
        SelectObject(mem, oldPen);
        const std::wstring label = FormatText(Text(IDS_ACT_LINE), {DecimalTextW(shownInterval_)});
        SIZE size{};
        GetTextExtentPoint32W(mem, label.c_str(), static_cast<int>(label.size()), &size);
        const bool right = at + S(4) + size.cx <= plot.right;
        RECT r{right ? at + S(4) : at - S(4) - size.cx, plot.top, right ? at + S(4) + size.cx : at - S(4), plot.top + line};
        SetTextColor(mem, kLineColour);
        DrawTextW(mem, label.c_str(), -1, &r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }
    BitBlt(dc, area.left, area.top, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBitmap);
    DeleteDC(mem);
}

void ActivityWindow::Copy(const std::wstring& text) {
    // Another program may hold the clipboard for a moment: the user hears it and can try again.
    if (!OpenClipboard(Handle())) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (void* target = block ? GlobalLock(block.get()) : nullptr) {
        std::memcpy(target, text.c_str(), bytes);
        GlobalUnlock(block.get());
        EmptyClipboard();
        // The clipboard owns the block once it took it.
        if (SetClipboardData(CF_UNICODETEXT, block.get())) (void)block.release();
    }
    CloseClipboard();
}

bool ActivityWindow::PreTranslateMessage(MSG& msg) {
    if (!Handle() || (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd))) return false;
    return IsDialogMessageW(Handle(), &msg) != FALSE;
}

LRESULT ActivityWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO: {
        const SIZE least = OuterSizeForClient(S(kMinWidth), S(kMinHeight), kStyle, kExStyle, dpi_);
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {least.cx, least.cy};
        return 0;
    }
    case WM_DPICHANGED: {
        ApplyDpi(LOWORD(wp));
        const RECT& r = *reinterpret_cast<const RECT*>(lp);
        SetWindowPos(Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        Layout();
        return 0;
    }
    case WM_TIMER:
        // The interval may have changed elsewhere too (the settings window, a rule of the tray menu).
        if (wp == kObserveTimer) {
            Observe(false);
            Show();
        }
        if (wp == kReadTimer && (ReadRing() || shownInterval_ != host_.interval())) Show();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(Handle(), &ps);
        RECT client{};
        GetClientRect(Handle(), &client);
        Paint(dc, {S(kMargin), S(kMargin), client.right - S(kMargin), S(kMargin) + S(kPictureHeight)});
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_SETFOCUS:
        SetFocus(list_);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kUse:
            if (suggested_) host_.useInterval(suggested_);
            Show();
            return 0;
        case kCopy: Copy(activity::CopyText(log_.Listed(), words_)); return 0;
        case kClear:
            ReadRing();  // what came before the click goes too
            log_.Clear();
            host_.cleared(read_);
            Show();
            return 0;
        case kDiagnostics: Copy(host_.diagnostics()); return 0;
        case kObserve:
            Observe(true);
            return 0;
        case IDCANCEL: PostMessageW(Handle(), WM_CLOSE, 0, 0); return 0;
        default: break;
        }
        break;
    case WM_CLOSE:
        // The owner lets the window go once this message is done with.
        ShowWindow(Handle(), SW_HIDE);
        host_.closed();
        return 0;
    default:
        break;
    }
    return TWindow::WndProc(msg, wp, lp);
}

}  // namespace quorlin
