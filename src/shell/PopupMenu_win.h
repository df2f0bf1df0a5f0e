// A popup menu component: items with caption, state and click handler, built into a system menu
// each time it opens, so the items' current state is what the user sees.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Unique_win.h"
#include "shell/Component.h"
#include "shell/Window_win.h"

namespace quorlin {

class TMenuItem : public TObject, public TFreeNotifier {
public:
    explicit TMenuItem(std::wstring caption = {});
    ~TMenuItem() override { NotifyFree(); }

    std::wstring Caption;       // "-" makes a separator
    std::wstring ShortCutText;  // shown after a tab in the shortcut column, e.g. "Alt+F1"
    bool Checked = false;
    bool RadioItem = false;     // checked with a dot: one choice of several
    bool Enabled = true;
    bool Visible = true;
    bool Default = false;       // drawn bold; run by a double click on the tray icon
    int Tag = 0;
    TNotifyEvent OnClick;

    // The number that identifies this item in the menus built from it; unique in the process.
    std::uint16_t Command() const { return command_; }
    bool IsSeparator() const { return Caption == L"-"; }
    // Runs OnClick (sender: the item) only while the item is enabled.
    void Click();

    // The items of its submenu; an item that has any opens them instead of being chosen.
    TMenuItem& Add(std::wstring caption);
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    // For a submenu made anew each time it opens; not while the menu is open.
    void ClearItems() { items_.clear(); }

private:
    std::uint16_t command_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

// Its window owns the menu while it is open and receives the menu's own messages.
class TPopupMenu : public TComponent, public TFreeNotifier, private TWindow {
public:
    explicit TPopupMenu(TComponentOwner& owner);
    ~TPopupMenu() override;

    TMenuItem& Add(std::wstring caption);
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    // The first top-level item marked Default, or null.
    TMenuItem* DefaultItem() const;

    bool AutoPopup = true;
    // The component that opened the menu last (the tray icon), for shared handlers.
    TObject* PopupComponent = nullptr;
    // Raised before the menu is built and shown, so handlers can adjust the items.
    TNotifyEvent OnPopup;

    // Shows the menu at a screen point and returns once it has closed; the chosen item's click
    // runs after the menu has gone.
    virtual void Popup(int x, int y);
    // The menu as last built (null before the first Popup).
    HMENU Handle() const { return menu_.get(); }
    // Builds the menu from the items' current state.
    void Rebuild();


private:
    std::vector<std::unique_ptr<TMenuItem>> items_;
    UniqueMenu menu_;
};

// Clicks the menu's item (or submenu item) with that command number; false when it has none.
bool ClickMenuItemByCommand(const TPopupMenu& menu, std::uint16_t command);

// The tray icon's menu: knows whether it is open, and tells when it has closed.
class TTrayPopupMenu : public TPopupMenu {
public:
    using TPopupMenu::TPopupMenu;
    bool IsOpen() const { return open_; }
    TNotifyEvent OnClose;
    void Popup(int x, int y) override;

private:
    bool open_ = false;
};

}  // namespace quorlin
