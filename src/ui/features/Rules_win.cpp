#include "ui/features/Rules_win.h"

#include "base/Decimal.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "blocker/InputHooks_win.h"
#include "ui/model/StatusText.h"

namespace quorlin {

namespace {

std::wstring IntervalText(std::uint32_t ms) {
    return FormatText(LoadResString(IDS_MI_RULE_INTERVAL), {DecimalTextW(ms)});
}

std::wstring ChoiceText(ProgramRule rule) {
    if (rule.NeverBlocks()) return LoadResString(IDS_MI_RULE_NEVER);
    if (rule.ClicksOnly()) return LoadResString(IDS_MI_RULE_CLICKS);
    return IntervalText(rule.IntervalOr(0));
}

}  // namespace

void Rules::TrayPressed() { foreground_.Check(); }

void Rules::AddMenuItems(TrayMenu& menu) { submenu_ = &menu.root.Add(LoadResString(IDS_MI_RULES_THIS)); }

void Rules::Apply() { foreground_.SetRules(Settings().Programs); }

bool Rules::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_FOREGROUND_RULE) return false;
    foreground_.Check();
    result = 0;
    return true;
}

void Rules::MenuOpening() {
    TMenuItem& submenu = *submenu_;
    submenu.ClearItems();
    const std::wstring program = foreground_.LastOtherProgram();
    submenu.Enabled = !program.empty();
    if (program.empty()) {
        submenu.Caption = LoadResString(IDS_MI_RULES_THIS);
        return;
    }
    submenu.Caption = FormatText(LoadResString(IDS_MI_RULES_FOR), {MenuText(program)});
    AddChoices(submenu, program);
    submenu.Add(L"-");
    // Every rule, with its choice beside it, changed or removed ("As the settings say") in its own submenu.
    TMenuItem& all = submenu.Add(LoadResString(IDS_MI_ALL_RULES));
    for (const auto& [name, code] : Settings().Programs) {
        if (code == 0) continue;
        TMenuItem& entry = all.Add(MenuText(name));
        entry.ShortCutText = ChoiceText(ProgramRule::FromStored(code));
        AddChoices(entry, name);
    }
    all.Enabled = !all.Items().empty();
}

void Rules::AddChoices(TMenuItem& parent, const std::wstring& program) {
    const ProgramRule current = FindRule(Settings().Programs, program);
    const auto add = [&](std::wstring text, ProgramRule rule) {
        TMenuItem& item = parent.Add(std::move(text));
        item.RadioItem = true;
        item.Checked = rule == current;
        item.OnClick = [this, program, rule] { Set(program, rule); };
    };
    add(LoadResString(IDS_MI_RULE_SETTINGS), {});
    add(LoadResString(IDS_MI_RULE_NEVER), {ProgramRule::kNeverBlock});
    add(LoadResString(IDS_MI_RULE_CLICKS), {ProgramRule::kClicksOnly});
    for (const auto& entry : kIntervalList) add(IntervalText(entry.Milliseconds), ProgramRule::Interval(entry.Milliseconds));
}

void Rules::Set(const std::wstring& program, ProgramRule rule) {
    // A removed rule stays as an entry without one, so that saving deletes its value.
    ProgramRules& rules = Settings().Programs;
    if (rule.Any() || rules.contains(program)) rules[program] = rule.Code;
    Apply();
}

}  // namespace quorlin
