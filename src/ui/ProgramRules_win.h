// Rules per program: the rules as the settings keep them, the watch that hands the rule of the
// program in front to the hooks, and the tray submenu "Rules for NAME" that shows and changes them.
#pragma once
#include <string>

#include "base/ProgramRule.h"
#include "blocker/ForegroundProgram_win.h"
#include "settings/Settings.h"
#include "shell/PopupMenu_win.h"

namespace quorlin {

class ProgramRulesFeature {
public:
    ProgramRules Rules;

    void Load(const AppSettings& s);
    void Store(AppSettings& s) const;
    // Hands the rules to the hooks; the rule in front follows at once.
    void Apply();
    // Works out the program in front again: on a hook's WM_FOREGROUND_RULE, and before the tray
    // icon's owner takes the foreground for the menu.
    void CheckForeground() { foreground_.Check(); }
    // Fills the submenu for the last other program in front, or greys it when there was none.
    void FillMenu(TMenuItem& submenu);

private:
    void AddChoices(TMenuItem& parent, const std::wstring& program);
    void Set(const std::wstring& program, ProgramRule rule);
    ForegroundProgram foreground_;
};

}  // namespace quorlin
