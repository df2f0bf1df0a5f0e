// A popup menu: items with caption, state and click handler, built into a system menu each time it
// opens, so the items' current state is what the user sees.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Unique_win.h"
#include "shell/Window_win.h"

namespace quorlin {

class TMenuItem {
public:
    explicit TMenuItem(std::wstring caption = {});
    TMenuItem(const TMenuItem&) = delete;
    TMenuItem& operator=(const TMenuItem&) = delete;

    std::wstring Caption;       // "-" makes a separator
    std::wstring ShortCutText;  // shown after a tab in the shortcut column, e.g. "Alt+F1"
    bool Checked = false;
    bool RadioItem = false;     // checked with a dot: one choice of several
    bool Enabled = true;
    bool Visible = true;
    bool Default = false;       // drawn bold; run by a double click on the tray icon
    std::function<void()> OnClick;

    // The number that identifies this item in the menus built from it; unique in the process.
    std::uint16_t Command() const { return command_; }
    bool IsSeparator() const { return Caption == L"-"; }
    // Runs OnClick only while the item is enabled.
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
class TPopupMenu : private TWindow {
public:
    TPopupMenu();

    TMenuItem& Add(std::wstring caption);
    // An item made before it had its place in the menu.
    TMenuItem& Add(std::unique_ptr<TMenuItem> item);
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    // The first top-level item marked Default, or null.
    TMenuItem* DefaultItem() const;

    // Raised before the menu is built and shown, so handlers can adjust the items.
    std::function<void()> OnPopup;

    // Shows the menu at a screen point and returns once it has closed; the chosen item's click
    // runs after the menu has gone.
    void Popup(int x, int y);

private:
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

}  // namespace quorlin
