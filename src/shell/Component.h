// The component model the windows are built from: components belong to an owner, are created
// in design order, finish loading in that same order once the whole design is read, and raise
// events that pass themselves as the sender.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorlin {

// Common base of everything that can be an event's sender (components, controls, menu items,
// windows), so a shared handler can tell its senders apart with dynamic_cast.
class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject& sender)>;

// Tells the objects that keep a reference to this one when it is destroyed, so none keeps a
// dangling reference (a tray icon its menu, a system menu entry its menu item).
class TFreeNotifier {
public:
    TFreeNotifier() = default;
    TFreeNotifier(const TFreeNotifier&) = delete;
    TFreeNotifier& operator=(const TFreeNotifier&) = delete;

    // One notification per client; asking again replaces the earlier one.
    void FreeNotification(const void* client, std::function<void()> onFree);
    void RemoveFreeNotification(const void* client);

protected:
    // Derived classes call this first in their destructor, while they are still whole.
    void NotifyFree();
    ~TFreeNotifier() { NotifyFree(); }

private:
    struct Listener {
        const void* client;
        std::function<void()> onFree;
    };
    std::vector<Listener> listeners_;
};

// Common base of the errors raised by the shell components.
class EComponentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TComponent;

// Keeps its components in design (creation) order and completes their loading in that order.
class TComponentOwner : public TObject {
public:
    TComponentOwner() = default;
    TComponentOwner(const TComponentOwner&) = delete;
    TComponentOwner& operator=(const TComponentOwner&) = delete;

    // Runs every component's Loaded() once, in design order.
    void LoadComponents();
    bool ComponentsLoaded() const { return loaded_; }
    const std::vector<TComponent*>& Components() const { return components_; }

private:
    friend class TComponent;
    std::vector<TComponent*> components_;
    bool loaded_ = false;
};

// A non-visual component: created with its owner, acts once the whole design is loaded.
class TComponent : public TObject {
public:
    explicit TComponent(TComponentOwner& owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponentOwner& Owner() const { return owner_; }
    // True while the design is being read, before Loaded() ran.
    bool Loading() const { return loading_; }

    // Called once after every component of the owner has been created; overrides call the base first.
    virtual void Loaded() { loading_ = false; }

private:
    TComponentOwner& owner_;
    bool loading_ = true;
};

// The non-visual shell components (tray icon, single-instance guard, window-procedure hook).
class TComponentBase : public TComponent {
public:
    using TComponent::TComponent;
};

}  // namespace quorlin
