#include "ui/features/Session_win.h"

#include "base/Text_win.h"
#include "base/resource.h"
#include "blocker/InputHooks_win.h"
#include "shell/Application_win.h"
#include "shell/MessageForm_win.h"

namespace quorlin {

Session::Session(FeatureHost& host, std::function<void()> close) : Feature(host), close_(std::move(close)) {
    notification_.emplace(host.window);
}

void Session::AddMenuItems(TrayMenu& menu) {
    menu.root.Add(L"-");
    menu.root.Add(LoadResString(IDS_MI_CLOSE)).OnClick = [this] { AskClose(); };
}

void Session::AskClose() {
    if (asking_) return;
    asking_ = true;
    Settings().Visible = IsWindowVisible(host_.window) != FALSE;
    // Put back in every case, also when the question cannot be asked.
    struct Done {
        bool& active;
        ~Done() { active = false; }
    } done{asking_};
    const ModalScope modal(host_);
    const std::wstring title = TApplication::Instance().Title();
    const std::wstring text =
        LoadResString(IDS_CLOSE_QUESTION1) + L"\"" + title + L"\"" + LoadResString(IDS_CLOSE_QUESTION2);
    // No has the focus: Enter and Esc both answer No.
    const int answer = AskYesNo(text, title, TApplication::Instance().Icon(), host_.window);
    if (answer == IDYES) {
        Model().CanClose = true;
        close_();
    }
}

bool Session::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_QUERYENDSESSION:
        Model().EndingSession = true;
        Settings().Visible = IsWindowVisible(host_.window) != FALSE;
        host_.save();
        Model().CanClose = true;
        result = 1;
        return true;
    case WM_ENDSESSION:
        if (wp) {
            host_.save();
        } else {
            // Someone cancelled the end of the session: closing the window hides it again.
            Model().EndingSession = false;
            Model().CanClose = false;
        }
        return false;
    // The system may sleep for good (a flat battery) or end the session without closing us: what
    // a user did is stored first.
    case WM_POWERBROADCAST:
        if (wp != PBT_APMSUSPEND) return false;
        host_.save();
        result = TRUE;
        return true;
    // Win+L and Ctrl+Alt+Del take the keyboard to another desktop, where the hooks see no release.
    case WM_WTSSESSION_CHANGE:
        if (IsSessionReturn(wp)) SettleHeldKeys();
        return false;
    default:
        return false;
    }
}

}  // namespace quorlin
