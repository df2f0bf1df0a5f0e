#include "ui/features/About_win.h"

#include <algorithm>

#include "base/System_win.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "online/Reports.h"
#include "shell/Placement_win.h"
#include "shortcuts/ShortcutText_win.h"
#include "ui/features/AboutForm_win.h"
#include "ui/model/Website.h"

namespace quorlin {

About::About(FeatureHost& host, TComponentOwner& owner, std::function<void()> showSettings)
    : Feature(host), showSettings_(std::move(showSettings)), systemSplit_(owner), systemAbout_(owner) {}

void About::AddMenuItems(TrayMenu& menu) {
    setupItem_ = &menu.root.Add(LoadResString(IDS_MI_SETUP));
    setupItem_->Default = true;
    setupItem_->OnClick = [this](TObject&) { ShowSettings(); };
    aboutItem_ = &menu.root.Add(LoadResString(IDS_MI_ABOUT));
    aboutItem_->ShortCutText = FromAnsi(FormatShortCut(scAlt | VK_F1));
    aboutItem_->OnClick = [this](TObject&) { Open(); };
    systemSplit_.SetMenuItem(&split_);
    systemAbout_.SetMenuItem(aboutItem_);
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
