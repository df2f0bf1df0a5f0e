// The application's state in one plain value: what is saved (the settings table's values) and the
// facts of the running program that the controls, the tray menu and the texts show. The window
// and the features change it and refresh from it; nothing is read back from a control.
#pragma once
#include <optional>
#include <string>

#include "settings/Settings.h"
#include "ui/model/StatusText.h"

namespace quorlin {

class AppModel {
public:
    AppSettings Settings;  // starts at the defaults

    // Facts of this run, never saved.
    bool TouchpadOffered = false;  // a driver, or a touchpad the system reports
    bool TouchpadEnabled = false;
    bool BlockerShortcutRefused = false;  // the system or the capture rules refused it
    bool TouchpadShortcutRefused = false;
    int ModalWindows = 0;  // About or a question open: the tray's About and Settings wait
    bool EndingSession = false;
    bool CanClose = false;  // closing the window ends the program rather than hiding it

    // Takes what was read as the saved state. The interval becomes the list entry it shows as.
    void Load(const AppSettings& stored);
    // Anything differs from what was last loaded or saved.
    bool NeedsSave() const { return !saved_ || Settings != *saved_; }
    // Only a save that succeeded is recorded: after a failed one the next tick tries again.
    void SaveDone(bool ok) {
        if (ok) saved_ = Settings;
    }

    // The shortcuts as the menu and the tip offer them: switched on, and taken.
    bool BlockerShortcutShown() const { return Settings.BlockerSwitch && !BlockerShortcutRefused; }
    bool TouchpadShortcutShown() const { return Settings.TouchpadSwitch && !TouchpadShortcutRefused; }

    // What the status texts are made of; captions are the tray menu's items' texts.
    StatusInputs Status(std::wstring title, std::wstring version, std::wstring blockerCaption,
                        std::wstring touchpadCaption) const;

private:
    std::optional<AppSettings> saved_;  // nothing before the first load: a save then would overwrite
};

}  // namespace quorlin
