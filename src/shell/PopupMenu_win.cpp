#include "shell/PopupMenu_win.h"

#include <algorithm>

namespace quorlin {

namespace {

constexpr wchar_t kWindowClass[] = L"QuorlinPopupList";

std::uint16_t NextCommand() {
    // Menu command numbers are 16-bit; 0 means "nothing chosen" to TrackPopupMenu.
    static std::uint16_t last = 0;
    if (++last == 0) last = 1;
    return last;
}

bool ClickIn(const std::vector<std::unique_ptr<TMenuItem>>& items, std::uint16_t command) {
    for (const auto& item : items) {
        if (item->Command() == command) {
            item->Click();
            return true;
        }
        if (ClickIn(item->Items(), command)) return true;
    }
    return false;
}

void AppendItems(HMENU menu, const std::vector<std::unique_ptr<TMenuItem>>& items) {
    UINT position = 0;
    for (const auto& item : items) {
        if (!item->Visible) continue;
        std::wstring text = item->Caption;
        if (!item->ShortCutText.empty()) text += L'\t' + item->ShortCutText;
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        mii.fType = item->IsSeparator() ? MFT_SEPARATOR : (MFT_STRING | (item->RadioItem ? MFT_RADIOCHECK : 0u));
        mii.fState = (item->Checked ? MFS_CHECKED : 0u) | (item->Enabled ? 0u : MFS_DISABLED) |
                     (item->Default ? MFS_DEFAULT : 0u);
        mii.wID = item->Command();
        if (!item->IsSeparator()) {
            mii.dwTypeData = text.data();
            mii.cch = static_cast<UINT>(text.size());
        } else {
            mii.fMask &= ~MIIM_STRING;
        }
        UniqueMenu sub;
        if (!item->Items().empty() && (sub = UniqueMenu(CreatePopupMenu()))) {
            AppendItems(sub.get(), item->Items());
            mii.fMask |= MIIM_SUBMENU;
            mii.hSubMenu = sub.get();
        }
        // Once inserted, the submenu belongs to the menu and goes with it.
        if (InsertMenuItemW(menu, position++, TRUE, &mii)) (void)sub.release();
    }
}

}  // namespace

TMenuItem::TMenuItem(std::wstring caption) : Caption(std::move(caption)), command_(NextCommand()) {}

void TMenuItem::Click() {
    if (Enabled && OnClick) OnClick();
}

TMenuItem& TMenuItem::Add(std::wstring caption) {
    items_.push_back(std::make_unique<TMenuItem>(std::move(caption)));
    return *items_.back();
}

TPopupMenu::TPopupMenu() { CreateHandle(kWindowClass, {}, WS_EX_TOOLWINDOW, WS_POPUP, 0, 0, 0, 0, nullptr); }

TMenuItem& TPopupMenu::Add(std::wstring caption) {
    items_.push_back(std::make_unique<TMenuItem>(std::move(caption)));
    return *items_.back();
}

TMenuItem& TPopupMenu::Add(std::unique_ptr<TMenuItem> item) {
    items_.push_back(std::move(item));
    return *items_.back();
}

TMenuItem* TPopupMenu::DefaultItem() const {
    for (const auto& item : items_)
        if (item->Default) return item.get();
    return nullptr;
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup();
    const UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    AppendItems(menu.get(), items_);
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, Handle(), nullptr));
    if (command != 0) ClickIn(items_, static_cast<std::uint16_t>(command));
}

}  // namespace quorlin
