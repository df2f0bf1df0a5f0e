#include "ui/features/TypingAware_win.h"

#include "base/Text_win.h"
#include "base/resource.h"
#include "blocker/InputHooks_win.h"

namespace quorlin {

void TypingAware::AddMenuItems(TrayMenu&) {
    item_ = &smart_.AddItem(LoadResString(IDS_MI_ADAPT_TO_TYPING));
    item_->OnClick = [this] {
        Settings().AdaptToTyping = !Settings().AdaptToTyping;
        Apply();
        host_.refresh();
    };
}

void TypingAware::Apply() { BlockerState.AdaptToTyping = Settings().AdaptToTyping; }

void TypingAware::Refresh() { item_->Checked = Settings().AdaptToTyping; }

}  // namespace quorlin
