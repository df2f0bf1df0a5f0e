// TApplicationProperties: the component through which a window's design sets application-wide
// properties (no taskbar button, show-main-window flag) and receives the application message hook.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/Application_win.h"
#include "shell/Component.h"

namespace quorlin {

enum TBiDiMode : int { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// A system colour: 0xFF in the top byte, the COLOR_* index below.
constexpr std::uint32_t SystemColor(int index) { return 0xFF000000u | static_cast<std::uint32_t>(index); }

class TApplicationProperties : public TComponent {
public:
    using MessageEvent = TApplication::MessageEvent;

    explicit TApplicationProperties(TComponentOwner& owner);
    ~TApplicationProperties() override;

    // True: the application window is hidden and a tool window, so the program has no taskbar
    // button. Applied at once when set and again at load completion; never undone.
    bool Hidden() const { return hidden_; }
    void SetHidden(bool value);

    // The application message hook: every message the application's retrieval takes passes here
    // (newest component first, all with the same handled flag) before it is dispatched.
    MessageEvent OnMessage;

    // Handed to the application object at load completion.
    bool ShowMainForm = true;

    // Tooltip, locale, reading-order and drag settings. The program has no tooltips, drags or
    // right-to-left layout of its own, so these are kept at their defaults and only stored.
    std::uint32_t HintColor = SystemColor(COLOR_INFOBK);
    std::int32_t HintHidePause = 2500;
    std::int32_t HintPause = 500;
    std::int32_t HintShortPause = 50;
    bool ShowHint = true;
    bool HintShortCuts = true;
    bool UpdateFormatSettings = true;
    bool UpdateMetricSettings = true;
    TBiDiMode BiDiMode = bdLeftToRight;
    bool MouseDragImmediate = true;
    std::int32_t MouseDragThreshold = 5;
    std::wstring BiDiKeyboard;
    std::wstring NonBiDiKeyboard;

    // Load completion: ApplyProperties(), then ApplyHidden() when Hidden.
    void Loaded() override;

protected:
    virtual void ApplyProperties();
    virtual void ApplyHidden();

private:
    bool hidden_ = false;
};

// The process-wide list of live TApplicationProperties. While it has members it occupies the
// application object's message slot; the handler found there before is called after them and
// put back when the last member leaves.
class TApplicationPropertiesList {
public:
    // The list, or null while no component exists.
    static TApplicationPropertiesList* Current();

private:
    friend class TApplicationProperties;
    static void Add(TApplicationProperties* component);
    static void Remove(TApplicationProperties* component);
    void Dispatch(MSG& msg, bool& handled);

    std::vector<TApplicationProperties*> items_;  // in creation order
    TApplication::MessageEvent savedOnMessage_;
    bool installed_ = false;
};

}  // namespace quorlin
