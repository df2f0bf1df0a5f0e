#include "ui/features/About_win.h"

#include <algorithm>

#include "base/Messages.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "online/Reports.h"
#include "shell/Placement_win.h"
#include "shortcuts/ShortcutText_win.h"
#include "ui/features/AboutForm_win.h"
#include "ui/model/Website.h"

namespace quorlin {

namespace {

// An entry at the top of the window's system menu. It shows the shortcut only: the system menu
// does not act on that key.
void InsertSystemMenuEntry(HMENU menu, UINT command, std::wstring text) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STATE | MIIM_ID | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
    mii.fType = text.empty() ? MFT_SEPARATOR : MFT_STRING;
    mii.wID = command;
    mii.dwTypeData = text.data();
    mii.cch = static_cast<UINT>(text.size());
    InsertMenuItemW(menu, 0, TRUE, &mii);  // a refusal is not reported
}

}  // namespace

About::About(FeatureHost& host, std::function<void()> showSettings)
    : Feature(host), showSettings_(std::move(showSettings)) {}

void About::AddMenuItems(TrayMenu& menu) {
    setupItem_ = &menu.root.Add(LoadResString(IDS_MI_SETUP));
    setupItem_->Default = true;
    setupItem_->OnClick = [this] { ShowSettings(); };
    aboutItem_ = &menu.root.Add(LoadResString(IDS_MI_ABOUT));
    aboutItem_->ShortCutText = ShownShortcut(scAlt | VK_F1);
    aboutItem_->OnClick = [this] { Open(); };
    // "About", its shortcut, then a separator above the system's own entries.
    if (HMENU system = GetSystemMenu(host_.window, FALSE)) {
        InsertSystemMenuEntry(system, kSysCmdSplit, L"");
        InsertSystemMenuEntry(system, kSysCmdAbout, aboutItem_->Caption + L'\t' + aboutItem_->ShortCutText);
    }
}

bool About::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT&) {
    // Left unhandled: the window's own procedure sees the command too, and ignores it.
    if (msg == WM_SYSCOMMAND && wp == kSysCmdAbout) aboutItem_->Click();
    return false;
}

void About::Refresh() {
    setupItem_->Enabled = aboutItem_->Enabled = Model().ModalWindows == 0;
}

void About::ShowSettings() {
    if (!Model().ModalWindows) showSettings_();
}

void About::Open() {
    if (Model().ModalWindows) return;
    const ModalScope modal(host_);
    TfrmAbout about(host_.window);
    about.OnLinkClick = [this](int tag) { OpenLink(tag); };
    about.OnOpened = [this] { host_.report("about", "", false); };
    about.ShowModal();
    TrimWorkingSet();
}

void About::OpenLink(int tag) {
    const auto* target = std::find_if(std::begin(website::kLinkTargets), std::end(website::kLinkTargets),
                                      [tag](const website::LinkTarget& t) { return t.Tag == tag; });
    if (target != std::end(website::kLinkTargets)) {
        OpenUrlInBrowser(target->Address);
    } else {
        const std::string_view ping = OnOffLiterals[Settings().Internet ? 1 : 0];
        OpenUrlInBrowser(std::wstring(website::kRoot) + L"?version=" + FileVersionString() + L"&ping=" +
                         std::wstring(ping.begin(), ping.end()));
    }
    host_.report("openlink", "id=" + std::to_string(tag), false);
}

}  // namespace quorlin
