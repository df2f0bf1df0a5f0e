#include "shell/AppProps_win.h"

#include <algorithm>

namespace quorlin {

namespace {

// Shared so that a dispatch in progress keeps the list alive when its last component leaves
// from inside a handler.
std::shared_ptr<TApplicationPropertiesList>& ListSlot() {
    static std::shared_ptr<TApplicationPropertiesList> list;
    return list;
}

}  // namespace

TApplicationPropertiesList* TApplicationPropertiesList::Current() { return ListSlot().get(); }

void TApplicationPropertiesList::Add(TApplicationProperties* component) {
    auto& slot = ListSlot();
    if (!slot) slot = std::make_shared<TApplicationPropertiesList>();
    slot->items_.push_back(component);
    if (!slot->installed_) {
        TApplication& app = TApplication::Instance();
        slot->savedOnMessage_ = std::move(app.OnMessage);
        std::weak_ptr<TApplicationPropertiesList> weak = slot;
        app.OnMessage = [weak](MSG& msg, bool& handled) {
            if (auto list = weak.lock()) list->Dispatch(msg, handled);
        };
        slot->installed_ = true;
    }
}

void TApplicationPropertiesList::Remove(TApplicationProperties* component) {
    auto& slot = ListSlot();
    if (!slot) return;
    auto& items = slot->items_;
    items.erase(std::remove(items.begin(), items.end(), component), items.end());
    if (!items.empty()) return;
    if (slot->installed_) {
        TApplication::Instance().OnMessage = std::move(slot->savedOnMessage_);
        slot->installed_ = false;
    }
    slot.reset();
}

void TApplicationPropertiesList::Dispatch(MSG& msg, bool& handled) {
    // Work on a snapshot: a handler may create or destroy components (the caller keeps the
    // list itself alive).
    const std::vector<TApplicationProperties*> snapshot = items_;
    const TApplication::MessageEvent previous = savedOnMessage_;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        const bool live = std::find(items_.begin(), items_.end(), *it) != items_.end();
        if (!live || !(*it)->OnMessage) continue;
        const TApplication::MessageEvent handler = (*it)->OnMessage;
        handler(msg, handled);
    }
    if (previous) previous(msg, handled);
}

TApplicationProperties::TApplicationProperties(TComponentOwner& owner) : TComponent(owner) {
    TApplicationPropertiesList::Add(this);
}

TApplicationProperties::~TApplicationProperties() { TApplicationPropertiesList::Remove(this); }

void TApplicationProperties::SetHidden(bool value) {
    hidden_ = value;
    ApplyHidden();
}

void TApplicationProperties::Loaded() {
    TComponent::Loaded();
    ApplyProperties();
    if (hidden_) ApplyHidden();
}

void TApplicationProperties::ApplyProperties() {
    // The show-main-window flag is the one setting the application object has a place for.
    TApplication::Instance().SetShowMainForm(ShowMainForm);
}

void TApplicationProperties::ApplyHidden() {
    HWND app = TApplication::Instance().Handle();
    if (!app || !IsWindow(app)) return;
    LONG_PTR style = GetWindowLongPtrW(app, GWL_EXSTYLE);
    if (hidden_) {
        if (IsWindowVisible(app)) ShowWindow(app, SW_HIDE);
        style = (style & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW;
        SetWindowLongPtrW(app, GWL_EXSTYLE, style);
    } else {
        style = (style & ~static_cast<LONG_PTR>(WS_EX_TOOLWINDOW)) | WS_EX_APPWINDOW;
        SetWindowLongPtrW(app, GWL_EXSTYLE, style);
        ShowWindow(app, SW_SHOWNORMAL);
    }
}

}  // namespace quorlin
