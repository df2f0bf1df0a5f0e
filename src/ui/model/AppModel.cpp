#include "ui/model/AppModel.h"

#include <utility>

namespace quorlin {

void AppModel::Load(const AppSettings& stored) {
    saved_ = stored;
    Settings = stored;
    Settings.Delay = static_cast<std::int32_t>(ChooseInterval(static_cast<std::uint32_t>(stored.Delay)).Interval);
}

StatusInputs AppModel::Status(std::wstring title, std::wstring version, std::wstring blockerCaption,
                              std::wstring touchpadCaption) const {
    StatusInputs in;
    in.title = std::move(title);
    in.version = std::move(version);
    in.blockerEnabled = Settings.BlockerEnabled;
    // A refused shortcut is not offered: pressing it would do nothing.
    in.blockerShortcutShown = BlockerShortcutShown();
    in.blockerCaption = std::move(blockerCaption);
    in.blockerShortcut = Settings.BlockerShortcut;
    in.touchpadAvailable = TouchpadOffered;
    in.touchpadEnabled = TouchpadEnabled;
    in.touchpadShortcutShown = TouchpadShortcutShown();
    in.touchpadCaption = std::move(touchpadCaption);
    in.touchpadShortcut = Settings.TouchpadShortcut;
    return in;
}

}  // namespace quorlin
