// Components that put their own message handler in front of a window's procedure. Several hooks on
// one window form a chain, the most recently created first; a hook that sets handled keeps the
// message from the ones behind it and from the window's own procedure.
#pragma once
#include <windows.h>

#include "shell/Component.h"

namespace quorlin {

class TWndProcHook : public TComponentBase {
public:
    explicit TWndProcHook(TComponentOwner& owner);
    ~TWndProcHook() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    // The hooked window: the one set explicitly, else the owner's when the owner is a form.
    HWND HookedWindow() const;
    void SetHookedWindow(HWND window);

protected:
    // Every message of the hooked window while the hook is active.
    virtual void HookMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, bool& handled) {
        (void)msg, (void)wp, (void)lp, (void)result, (void)handled;
    }

private:
    static LRESULT CALLBACK ChainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Link();
    void Unlink();

    HWND window_ = nullptr;  // set explicitly; null follows the owner
    HWND linked_ = nullptr;  // the window the hook is in the chain of, while active
    bool active_ = false;
};

}  // namespace quorlin
