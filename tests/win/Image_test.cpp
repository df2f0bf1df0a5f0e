// Link pictures and hints on a real window: icon, hand cursor, clicks from real input, hint texts.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "TestSupport.h"
#include "shell/Image_win.h"
#include "base/resource.h"

using namespace quorlin;
using namespace testsupport;

namespace {

class Host {
public:
    Host() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ImageTestHost";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        RegisterClassW(&wc);
        hwnd_.reset(CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"host", WS_POPUP | WS_VISIBLE, 200, 200, 200, 100,
                                    nullptr, nullptr, wc.hInstance, nullptr));
        PumpFor(100);
    }
    HWND get() const { return hwnd_.get(); }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        LRESULT r = 0;
        if (ReflectControlMessage(m, w, l, r)) return r;
        return DefWindowProcW(h, m, w, l);
    }
    UniqueWindow hwnd_;
};

TEST(Image, ShowsItsIconWithTheHandCursorAndRaisesClicks) {
    Host host;
    TImage image(host.get(), {12, 20, 16, 16}, MAKEINTRESOURCEW(IDI_LINK_FEED));
    EXPECT_NE(SendMessageW(image.Handle(), STM_GETICON, 0, 0), 0) << "the icon resource should load";
    EXPECT_EQ(image.Bounds(), (WindowBounds{12, 20, 16, 16}));

    int clicks = 0;
    image.OnClick = [&] { ++clicks; };
    Click(200 + 12 + 8, 200 + 20 + 8);
    PumpUntil([&] { return clicks > 0; }, 2000);
    EXPECT_EQ(clicks, 1);

    // The pointer rests on the image now: it shows the hand.
    SendMessageW(image.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(image.Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST(Image, MissingIconLeavesAnEmptyPicture) {
    Host host;
    TImage image(host.get(), {0, 0, 16, 16}, MAKEINTRESOURCEW(9999));
    EXPECT_EQ(SendMessageW(image.Handle(), STM_GETICON, 0, 0), 0);
    EXPECT_TRUE(IsWindow(image.Handle()));
}

TEST(Hints, EachControlKeepsItsOwnText) {
    Host host;
    TImage a(host.get(), {10, 10, 16, 16}, MAKEINTRESOURCEW(IDI_LINK_PAGE));
    TImage b(host.get(), {40, 10, 16, 16}, MAKEINTRESOURCEW(IDI_LINK_FOLLOW));
    THints hints(host.get());
    ASSERT_TRUE(hints.Handle());
    hints.Add(a.Handle(), L"Page on Facebook");
    hints.Add(b.Handle(), L"Follow on Twitter");
    EXPECT_EQ(SendMessageW(hints.Handle(), TTM_GETTOOLCOUNT, 0, 0), 2);
    EXPECT_EQ(hints.Text(a.Handle()), L"Page on Facebook");
    EXPECT_EQ(hints.Text(b.Handle()), L"Follow on Twitter");
    EXPECT_EQ(hints.Text(host.get()), L"");

    // Resting the pointer on a picture shows its hint.
    MoveTo(200 + 40 + 8, 200 + 10 + 8);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(hints.Handle()) != FALSE; }, 3000));
    wchar_t text[64] = {};
    GetWindowTextW(hints.Handle(), text, 64);
    EXPECT_STREQ(text, L"Follow on Twitter");
}

}  // namespace

namespace {

TEST(LinkLabel, ReportsThePointerEnteringAndLeaving) {
    Host host;
    TLinkLabel link(host.get(), {10, 40, 150, 15}, L"WWW.EXAMPLE.ORG");
    int enters = 0, leaves = 0;
    link.OnMouseEnter = [&] { ++enters; };
    link.OnMouseLeave = [&] { ++leaves; };
    MoveTo(700, 700);  // start from outside the window, as a user's pointer would
    PumpFor(100);
    MoveTo(200 + 50, 200 + 47);
    PumpFor(100);
    MoveTo(200 + 60, 200 + 48);  // moving inside raises nothing more
    ASSERT_TRUE(PumpUntil([&] { return enters == 1; }, 2000));
    MoveTo(200 + 50, 200 + 70);
    PumpFor(50);
    MoveTo(200 + 52, 200 + 72);
    EXPECT_TRUE(PumpUntil([&] { return leaves == 1; }, 2000));
    EXPECT_EQ(enters, 1);
}

}  // namespace
