// Rules per program: the watch that hands the rule of the program in front to the hooks, and the
// tray submenu "Rules for NAME" that shows and changes the rules.
#pragma once
#include <string>

#include "blocker/ForegroundProgram_win.h"
#include "ui/features/Feature.h"

namespace quorlin {

class Rules : public Feature {
public:
    using Feature::Feature;

    void AddMenuItems(TrayMenu& menu) override;
    // Hands the rules to the hooks; the rule in front follows at once.
    void Apply() override;
    void MenuOpening() override;
    // The program in front is read when a button goes down on the tray icon, before the menu takes
    // the foreground: under Wine no event tells of other programs coming to the front.
    void TrayPressed() override;
    // A hook found another window in front than the one its rule was worked out for.
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void AddChoices(TMenuItem& parent, const std::wstring& program);
    void Set(const std::wstring& program, ProgramRule rule);

    ForegroundProgram foreground_;
    TMenuItem* submenu_ = nullptr;
};

}  // namespace quorlin
