#include "ui/features/SmartBlocking_win.h"

#include "base/Text_win.h"
#include "base/resource.h"
#include "blocker/InputHooks_win.h"

namespace quorlin {

SmartBlocking::SmartBlocking(FeatureHost& host)
    : Feature(host), owned_(std::make_unique<TMenuItem>(LoadResString(IDS_MI_SMART))), submenu_(owned_.get()) {
    timer_.OnTimer = [this] {
        if (!fullScreen_) return;
        fullScreen_->Check();
        // Where the system reports foreground changes the poll has nothing left to do.
        if (fullScreen_->EventsArrive()) timer_.SetEnabled(false);
    };
    // First in the submenu, whatever the order in which the features add theirs.
    auto option = [this](UINT caption, bool AppSettings::*value) {
        TMenuItem& item = AddItem(LoadResString(caption));
        item.OnClick = [this, value] {
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

void SmartBlocking::AddMenuItems(TrayMenu& menu) {
    if (owned_) menu.root.Add(std::move(owned_));
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
