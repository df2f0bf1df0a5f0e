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

}  // namespace quorlin
