#include "shell/SystemMenu_win.h"

#include <string>

#include "shell/Application_win.h"

namespace quorlin {

void TSystemMenuHook::SetInserted(bool value) {
    if (value == inserted_) return;
    // While the design is read only the value counts; Loaded inserts.
    if (Loading()) {
        inserted_ = value;
        return;
    }
    if (value)
        InsertItem();
    else
        RemoveItem();
}

void TSystemMenuHook::SetPosition(int value) {
    if (value == position_) return;
    const bool was = inserted_;
    SetInserted(false);
    position_ = value;
    SetInserted(was);
}

void TSystemMenuHook::Loaded() {
    TWndProcHook::Loaded();
    if (inserted_) {
        inserted_ = false;
        SetInserted(true);
    }
}

HMENU TSystemMenuHook::SystemMenu() const {
    const HWND window = InsertToAppMenu ? TApplication::Instance().Handle() : HookedWindow();
    return window ? GetSystemMenu(window, FALSE) : nullptr;
}

TSystemMenuItem::TSystemMenuItem(TComponentOwner& owner) : TSystemMenuHook(owner) {
    // 16, 32, ... in creation order; the entries' numbers stay clear of the system's own.
    static std::uint16_t lastBase = 0;
    commandBase_ = lastBase = static_cast<std::uint16_t>(lastBase + 16);
}

TSystemMenuItem::~TSystemMenuItem() {
    if (inserted_ && !Loading()) RemoveItem();
    if (menuItem_) menuItem_->RemoveFreeNotification(this);
}

UINT TSystemMenuItem::CommandId() const { return commandBase_ + (menuItem_ ? menuItem_->Command() : 0u); }

void TSystemMenuItem::SetMenuItem(TMenuItem* item) {
    if (item == menuItem_) return;
    const bool was = inserted_;
    SetInserted(false);
    if (menuItem_) menuItem_->RemoveFreeNotification(this);
    menuItem_ = item;
    if (menuItem_) menuItem_->FreeNotification(this, [this] { SetMenuItem(nullptr); });
    SetInserted(was);
}

void TSystemMenuItem::InsertItem() {
    if (!menuItem_) return;
    if (HMENU menu = SystemMenu(); menu && menuItem_->Visible) {
        std::wstring text = menuItem_->Caption;
        if (!menuItem_->ShortCutText.empty()) text += L'\t' + menuItem_->ShortCutText;
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_STATE | MIIM_ID | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
        mii.fType = menuItem_->IsSeparator() ? MFT_SEPARATOR : MFT_STRING;
        mii.fState = (menuItem_->Checked ? MFS_CHECKED : 0u) | (menuItem_->Enabled ? 0u : MFS_DISABLED) |
                     (menuItem_->Default ? MFS_DEFAULT : 0u);
        mii.wID = CommandId();
        mii.dwTypeData = text.data();
        mii.cch = static_cast<UINT>(text.size());
        InsertMenuItemW(menu, static_cast<UINT>(Position()), TRUE, &mii);  // a refusal is not reported
    }
    inserted_ = true;
    SetActive(true);
}

void TSystemMenuItem::RemoveItem() {
    inserted_ = false;
    SetActive(false);
    HMENU menu = menuItem_ ? SystemMenu() : nullptr;
    if (!menu) return;
    // Only an entry that is still ours: its text (up to a tab) is the item's caption.
    wchar_t buffer[256] = {};
    GetMenuStringW(menu, CommandId(), buffer, 255, MF_BYCOMMAND);
    std::wstring text(buffer);
    text = text.substr(0, text.find(L'\t'));
    const std::wstring& caption = menuItem_->Caption;
    if (menuItem_->IsSeparator() || CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), -1,
                                                   caption.c_str(), -1) == CSTR_EQUAL)
        RemoveMenu(menu, CommandId(), MF_BYCOMMAND);
}

void TSystemMenuItem::HookMessage(UINT msg, WPARAM wp, LPARAM, LRESULT&, bool&) {
    // Not handled: the window's own procedure still gets the command, which it ignores.
    if (!menuItem_ || !inserted_ || msg != WM_SYSCOMMAND) return;
    if (wp == CommandId()) menuItem_->Click();
}

}  // namespace quorlin
