// Entries of menu items in a window's system menu and the chain of window-procedure hooks they
// ride on, on a real window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/Application_win.h"
#include "shell/Form_win.h"
#include "shell/SystemMenu_win.h"

using namespace quorlin;

namespace {

constexpr UINT kProbe = WM_APP + 7;

class HostForm : public TForm {
public:
    HostForm() : TForm(L"QuorlinSystemMenuHost", 200, 100) {}
    std::vector<std::string> seen;  // what reached the window's own procedure
    int closes = 0;

protected:
    void FormClose() override { ++closes; }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kProbe) seen.push_back("own");
        return TForm::WndProc(msg, wp, lp);
    }
};

class RecordingHook : public TWndProcHook {
public:
    RecordingHook(TComponentOwner& owner, std::string name, std::vector<std::string>& log, bool handles = false)
        : TWndProcHook(owner), name_(std::move(name)), log_(log), handles_(handles) {}

protected:
    void HookMessage(UINT msg, WPARAM, LPARAM, LRESULT& result, bool& handled) override {
        if (msg != kProbe) return;
        log_.push_back(name_);
        if (handles_) handled = true, result = 5;
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
    bool handles_;
};

std::wstring EntryText(HMENU menu, int position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 255, MF_BYPOSITION);
    return text;
}

class SystemMenu : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TApplication::Instance().Initialize(GetModuleHandleW(nullptr)); }
};

TEST_F(SystemMenu, AboutAndSeparatorLeadTheMenuAndChoosingAboutClicksItOnce) {
    HostForm form;
    TPopupMenu menu(form);
    TMenuItem& split = menu.Add(L"-");
    TMenuItem& about = menu.Add(L"About");
    about.ShortCutText = L"Alt+F1";
    int clicks = 0;
    about.OnClick = [&](TObject&) { ++clicks; };
    TSystemMenuItem smiSplit(form), smiAbout(form);
    smiSplit.SetMenuItem(&split);
    smiAbout.SetMenuItem(&about);
    form.LoadComponents();

    EXPECT_EQ(smiAbout.CommandId() - about.Command(), smiSplit.CommandId() - split.Command() + 16);
    HMENU sys = GetSystemMenu(form.Handle(), FALSE);
    EXPECT_EQ(EntryText(sys, 0), L"About\tAlt+F1");
    EXPECT_EQ(GetMenuItemID(sys, 0), smiAbout.CommandId());
    EXPECT_TRUE(GetMenuState(sys, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_NE(GetMenuState(sys, SC_CLOSE, MF_BYCOMMAND), 0xFFFFFFFFu) << "the standard entries follow";

    SendMessageW(form.Handle(), WM_SYSCOMMAND, smiAbout.CommandId(), 0);
    EXPECT_EQ(clicks, 1);
    SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(form.closes, 1) << "Close still reaches the window";
    EXPECT_EQ(clicks, 1);
    // The popup menu finds its items by the same number.
    EXPECT_TRUE(ClickMenuItemByCommand(menu, about.Command()));
    EXPECT_FALSE(ClickMenuItemByCommand(menu, 0));
    EXPECT_EQ(clicks, 2);
}

TEST_F(SystemMenu, EntryIsRemovedOnlyWhileItsTextIsStillTheItemsAndGoesWithItsItem) {
    HostForm form;
    TSystemMenuItem smiAbout(form);
    auto menu = std::make_unique<TPopupMenu>(form);
    TMenuItem& about = menu->Add(L"About");
    smiAbout.SetMenuItem(&about);
    form.LoadComponents();
    HMENU sys = GetSystemMenu(form.Handle(), FALSE);
    const UINT id = smiAbout.CommandId();
    smiAbout.SetInserted(false);
    EXPECT_EQ(GetMenuState(sys, id, MF_BYCOMMAND), 0xFFFFFFFFu) << "removed";
    smiAbout.SetInserted(true);
    ASSERT_EQ(EntryText(sys, 0), L"About");
    ModifyMenuW(sys, id, MF_BYCOMMAND | MF_STRING, id, L"Something else");
    smiAbout.SetInserted(false);
    EXPECT_NE(GetMenuState(sys, id, MF_BYCOMMAND), 0xFFFFFFFFu) << "no longer ours: left in place";

    RemoveMenu(sys, id, MF_BYCOMMAND);
    smiAbout.SetInserted(true);
    ModifyMenuW(sys, id, MF_BYCOMMAND | MF_STRING, id, L"ABOUT");
    menu.reset();  // the item goes: the entry goes with it, whatever the case of its text
    EXPECT_EQ(smiAbout.MenuItem(), nullptr);
    EXPECT_EQ(GetMenuState(sys, id, MF_BYCOMMAND), 0xFFFFFFFFu);
}

TEST_F(SystemMenu, HookChainRunsNewestFirstAndRelinksWhenOneLeaves) {
    HostForm form;
    std::vector<std::string> log;
    RecordingHook older(form, "older", log), newer(form, "newer", log);
    form.LoadComponents();
    const LONG_PTR own = GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC);
    older.SetActive(true);
    newer.SetActive(true);
    SendMessageW(form.Handle(), kProbe, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"newer", "older"}));
    EXPECT_EQ(form.seen.size(), 1u);

    newer.SetActive(false);  // the front one leaves: messages still arrive
    log.clear();
    SendMessageW(form.Handle(), kProbe, 0, 0);
    EXPECT_EQ(log, std::vector<std::string>{"older"});
    EXPECT_EQ(form.seen.size(), 2u);

    older.SetActive(false);
    EXPECT_EQ(GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC), own) << "the window's own procedure is back";

    RecordingHook handler(form, "handler", log, true);
    handler.SetActive(true);
    EXPECT_EQ(SendMessageW(form.Handle(), kProbe, 0, 0), 5);
    EXPECT_EQ(form.seen.size(), 2u) << "a handled message stops at the hook";
}

}  // namespace
