// Entries of a menu item in a window's system menu: the entry copies the item's caption, state and
// shortcut text when it is inserted, and choosing it runs the item's click.
#pragma once
#include <windows.h>

#include <cstdint>

#include "shell/PopupMenu_win.h"
#include "shell/WndProcHook_win.h"

namespace quorlin {

// An entry of the system menu of the hooked window, inserted once the design is loaded.
class TSystemMenuHook : public TWndProcHook {
public:
    using TWndProcHook::TWndProcHook;

    bool Inserted() const { return inserted_; }
    void SetInserted(bool value);
    // The application window's menu instead of the hooked window's. Not used by the program.
    bool InsertToAppMenu = false;
    int Position() const { return position_; }
    void SetPosition(int value);

    void Loaded() override;

protected:
    HMENU SystemMenu() const;
    virtual void InsertItem() {}
    virtual void RemoveItem() {}
    bool inserted_ = true;

private:
    int position_ = 0;
};

class TSystemMenuItem : public TSystemMenuHook {
public:
    explicit TSystemMenuItem(TComponentOwner& owner);
    ~TSystemMenuItem() override;

    TMenuItem* MenuItem() const { return menuItem_; }
    void SetMenuItem(TMenuItem* item);
    // The entry's command: a base of 16 per component plus the linked item's command number.
    UINT CommandId() const;

protected:
    void InsertItem() override;
    void RemoveItem() override;
    void HookMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, bool& handled) override;

private:
    TMenuItem* menuItem_ = nullptr;
    std::uint16_t commandBase_;
};

}  // namespace quorlin
