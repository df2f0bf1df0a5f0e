#include "ui/features/SmartBlocking_win.h"

#include "base/Text_win.h"
#include "base/resource.h"
#include "blocker/InputHooks_win.h"

namespace quorlin {

SmartBlocking::SmartBlocking(FeatureHost& host, TComponentOwner& owner) : Feature(host), timer_(owner, 1000, false) {
    timer_.OnTimer = [this](TObject&) {
        if (!fullScreen_) return;
        fullScreen_->Check();
        // Where the system reports foreground changes the poll has nothing left to do.
        if (fullScreen_->EventsArrive()) timer_.SetEnabled(false);
    };
}

void SmartBlocking::AddMenuItems(TrayMenu& menu) {
    menu.smart = &menu.root.Add(LoadResString(IDS_MI_SMART));
    auto option = [this, &menu](UINT caption, bool AppSettings::*value) {
        TMenuItem& item = menu.smart->Add(LoadResString(caption));
        item.OnClick = [this, value](TObject&) {
            Settings().*value = !(Settings().*value);
            Apply();
            host_.refresh();
        };
        return &item;
    };
    fullScreenItem_ = option(IDS_MI_PAUSE_FULL_SCREEN, &AppSettings::PauseFullScreen);
    shortcutsItem_ = option(IDS_MI_IGNORE_SHORTCUTS, &AppSettings::IgnoreShortcutKeys);
    heldKeysItem_ = option(IDS_MI_IGNORE_HELD_KEYS, &AppSettings::IgnoreHeldKeys);
}

void SmartBlocking::Apply() {
    BlockerState.Smart.Store({Settings().IgnoreShortcutKeys, Settings().IgnoreHeldKeys});
    const bool pause = Settings().PauseFullScreen;
    if (pause == fullScreen_.has_value()) return;
    if (pause)
        fullScreen_.emplace();
    else
        fullScreen_.reset();
    timer_.SetEnabled(pause);
}

void SmartBlocking::Refresh() {
    fullScreenItem_->Checked = Settings().PauseFullScreen;
    shortcutsItem_->Checked = Settings().IgnoreShortcutKeys;
    heldKeysItem_->Checked = Settings().IgnoreHeldKeys;
}

void SmartBlocking::MinutesTick() {
    if (fullScreen_) fullScreen_->Check();
}

}  // namespace quorlin
