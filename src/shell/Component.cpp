#include "shell/Component.h"

#include <algorithm>

namespace quorlin {

void TComponentOwner::LoadComponents() {
    if (loaded_) return;
    loaded_ = true;
    // Index loop: a component's Loaded may create further components.
    for (std::size_t i = 0; i < components_.size(); ++i) components_[i]->Loaded();
}

TComponent::TComponent(TComponentOwner& owner) : owner_(owner) {
    owner_.components_.push_back(this);
}

TComponent::~TComponent() {
    auto& list = owner_.components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TFreeNotifier::FreeNotification(const void* client, std::function<void()> onFree) {
    RemoveFreeNotification(client);
    listeners_.push_back({client, std::move(onFree)});
}

void TFreeNotifier::RemoveFreeNotification(const void* client) {
    std::erase_if(listeners_, [&](const Listener& l) { return l.client == client; });
}

void TFreeNotifier::NotifyFree() {
    // A listener may remove itself (or others) while being told.
    auto listeners = std::move(listeners_);
    listeners_.clear();
    for (auto& l : listeners)
        if (l.onFree) l.onFree();
}

}  // namespace quorlin
