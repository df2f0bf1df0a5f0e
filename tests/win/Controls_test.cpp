// The control wrappers in a real window: notifications come back to the right wrapper, from code
// and from real input, and a wrapper outlives its window safely.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "ControlHost.h"
#include "TestSupport.h"
#include "shell/Controls_win.h"

using namespace quorlin;
using namespace testsupport;

namespace {

POINT CentreOf(const TWinControl& c) {
    RECT r{};
    GetWindowRect(c.Handle(), &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

TEST(Controls, CheckBoxRaisesOnClickForChangesFromCodeAndFromTheUser) {
    ControlHost host(100, 100, 300, 200);
    TCheckBox box(host.hwnd(), {16, 64, 230, 17}, L"Automatically &run program on startup", true);
    int clicks = 0;
    box.OnClick = [&] { ++clicks; };
    box.SetChecked(true);
    EXPECT_EQ(0, clicks) << "no change, no event";
    box.SetChecked(false);
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(BST_UNCHECKED, SendMessageW(box.Handle(), BM_GETCHECK, 0, 0));

    ASSERT_TRUE(host.Activate());
    ClickAt(CentreOf(box));
    ASSERT_TRUE(PumpUntil([&] { return clicks == 2; }, 2000));
    PumpFor(200);
    EXPECT_EQ(2, clicks);
    EXPECT_TRUE(box.Checked());
}

TEST(Controls, ComboBoxKeepsNumbersWithItemsAndReportsOnlyTheUsersChoice) {
    ControlHost host(100, 100, 300, 200);
    TComboBox combo(host.hwnd(), {176, 22, 96, 23});
    int changes = 0;
    combo.OnChange = [&] { ++changes; };
    combo.BeginUpdate();
    combo.AddItem(L"1/4 sec", 250);
    combo.AddItem(L"1/2 sec", 500);
    combo.AddItem(L"3/4 sec", 750);
    combo.EndUpdate();
    ASSERT_EQ(3, combo.Count());
    EXPECT_EQ(-1, combo.ItemIndex());
    EXPECT_EQ(L"3/4 sec", combo.ItemText(2));
    EXPECT_EQ(L"", combo.ItemText(7));
    EXPECT_EQ(0, combo.ItemData(7)) << "an index outside the list carries no number";

    combo.SetItemIndex(1);
    EXPECT_EQ(500, combo.ItemData(combo.ItemIndex()));
    EXPECT_EQ(0, changes) << "selecting from code is not the user's choice";

    ASSERT_TRUE(host.Activate());
    combo.SetFocus();
    TypeKey(VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return changes == 1; }, 2000));
    EXPECT_EQ(750, combo.ItemData(combo.ItemIndex()));

    combo.Clear();
    EXPECT_EQ(0, combo.Count());
    EXPECT_EQ(-1, combo.ItemIndex());
}

TEST(Controls, EditKeyEventsSeeRealKeysAndColourReachesTheScreen) {
    ControlHost host(100, 100, 300, 200);
    TEdit edit(host.hwnd(), {176, 24, 96, 23}, L"Ctrl+F9", true);
    EXPECT_TRUE(edit.ReadOnly());
    std::vector<WORD> downs, ups;
    edit.OnKeyDown = [&](WORD& key) { downs.push_back(key); };
    edit.OnKeyUp = [&](WORD& key) { ups.push_back(key); };
    int entered = 0;
    edit.OnEnter = [&] { ++entered; };

    ASSERT_TRUE(host.Activate());
    edit.SetFocus();
    EXPECT_EQ(1, entered) << "the focus arriving is announced before any key";
    SendKey(VK_CONTROL, false);
    TypeKey(VK_F5);
    SendKey(VK_CONTROL, true);
    ASSERT_TRUE(PumpUntil([&] { return ups.size() >= 2; }, 2000));
    EXPECT_EQ((std::vector<WORD>{VK_CONTROL, VK_F5}), downs);
    EXPECT_EQ((std::vector<WORD>{VK_F5, VK_CONTROL}), ups);
    EXPECT_EQ(L"Ctrl+F9", edit.Text()) << "read-only: keys do not change the text";

    // A colour set on the wrapper is what the parent hands the control when it paints.
    edit.SetColor(RGB(255, 0, 0));
    UpdateWindow(edit.Handle());
    PumpFor(200);
    HDC dc = GetDC(edit.Handle());
    RECT client{};
    GetClientRect(edit.Handle(), &client);
    const COLORREF pixel = GetPixel(dc, client.right - 3, client.bottom - 3);
    ReleaseDC(edit.Handle(), dc);
    EXPECT_EQ(RGB(255, 0, 0), pixel);
}

TEST(Controls, ButtonAndLabelClicksReachTheirWrappers) {
    ControlHost host(100, 100, 300, 200);
    TButton ok(host.hwnd(), {20, 150, 80, 25}, L"OK", true);
    TLabel link(host.hwnd(), {20, 100, 120, 15}, L"www.example.org");
    link.SetTag(3);
    int okClicks = 0, linkTag = 0;
    ok.OnClick = [&] { ++okClicks; };
    link.OnClick = [&] { linkTag = link.Tag(); };

    ASSERT_TRUE(host.Activate());
    ClickAt(CentreOf(ok));
    ASSERT_TRUE(PumpUntil([&] { return okClicks == 1; }, 2000)) << okClicks;
    ClickAt(CentreOf(link));
    ASSERT_TRUE(PumpUntil([&] { return linkTag == 3; }, 2000));
    PumpFor(200);
    EXPECT_EQ(1, okClicks);
    EXPECT_EQ((WindowBounds{20, 150, 80, 25}), ok.Bounds()) << "bounds are in the parent's client coordinates";
}

TEST(Controls, LinkLabelDrawsItsTextColourAndShowsItsCursor) {
    ControlHost host(100, 100, 300, 200);
    TLabel link(host.hwnd(), {20, 20, 200, 30}, L"WWWWWWWWWWWW");
    link.SetFontColor(RGB(0, 0, 255));
    link.SetCursor(LoadCursorW(nullptr, IDC_HAND));
    UpdateWindow(link.Handle());
    PumpFor(200);

    // Some pixel of the text is the text colour; the background stays the dialog face.
    HDC dc = GetDC(link.Handle());
    RECT client{};
    GetClientRect(link.Handle(), &client);
    int blue = 0;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            if (GetPixel(dc, x, y) == RGB(0, 0, 255)) ++blue;
    const COLORREF corner = GetPixel(dc, client.right - 2, client.bottom - 2);
    ReleaseDC(link.Handle(), dc);
    EXPECT_GT(blue, 20);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), corner);

    SendMessageW(link.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link.Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), GetCursor());
}

TEST(Controls, WrapperOutlivesAWindowDestroyedWithItsParent) {
    auto host = std::make_unique<ControlHost>(100, 100, 300, 200);
    TCheckBox box(host->hwnd(), {16, 64, 230, 17}, L"box");
    ASSERT_NE(nullptr, box.Handle());
    host.reset();
    EXPECT_EQ(nullptr, box.Handle());
    EXPECT_EQ(nullptr, TWinControl::FromHandle(nullptr));
}

TEST(Controls, MessagesNamingAControlOfAnotherThreadReachNoWrapper) {
    // A real wrapped check box, owned by another thread that serves its messages.
    std::atomic<HWND> foreignHost{nullptr}, foreignBox{nullptr};
    std::atomic<int> clicks{0};
    std::atomic<bool> done{false};
    std::thread other([&] {
        ControlHost host(420, 100, 200, 100, L"Other thread");
        TCheckBox box(host.hwnd(), {10, 10, 150, 17}, L"box");
        box.OnClick = [&] { ++clicks; };
        box.SetFontColor(RGB(255, 0, 0));
        foreignBox = box.Handle();
        foreignHost = host.hwnd();
        while (!done) PumpFor(20);
    });
    ASSERT_TRUE(PumpUntil([&] { return foreignHost.load() != nullptr; }, 5000));
    ControlHost host(100, 100, 200, 100);
    TCheckBox own(host.hwnd(), {10, 10, 150, 17}, L"own");
    own.SetFontColor(RGB(0, 0, 255));
    const auto box = reinterpret_cast<LPARAM>(foreignBox.load());

    EXPECT_EQ(nullptr, TWinControl::FromHandle(foreignBox));
    EXPECT_EQ(&own, TWinControl::FromHandle(own.Handle()));
    SendMessageW(host.hwnd(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), box);
    EXPECT_EQ(0, clicks.load()) << "the foreign control was called from this thread";
    HDC dc = GetDC(host.hwnd());
    SendMessageW(host.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), box);
    EXPECT_NE(RGB(255, 0, 0), GetTextColor(dc)) << "the foreign control coloured this window's text";
    SendMessageW(host.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(own.Handle()));
    EXPECT_EQ(RGB(0, 0, 255), GetTextColor(dc));
    ReleaseDC(host.hwnd(), dc);

    // Its own thread's window still reaches it.
    SendMessageW(foreignHost, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), box);
    EXPECT_EQ(1, clicks.load());
    done = true;
    other.join();
}
