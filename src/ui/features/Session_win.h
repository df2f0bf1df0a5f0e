// The end of the program and of the session: the tray's Close item with its question, the end of
// the session and suspend (what the user did is stored first), and the return from a locked or
// secure desktop.
#pragma once
#include <functional>
#include <optional>

#include "shell/SessionNotification_win.h"
#include "ui/features/Feature.h"

namespace quorlin {

class Session : public Feature {
public:
    // close: closes the window, which ends the program once the model allows it.
    Session(FeatureHost& host, std::function<void()> close);

    // Asks whether to end the program; once at a time.
    void AskClose();

    void AddMenuItems(TrayMenu& menu) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    std::function<void()> close_;
    bool asking_ = false;
    std::optional<TSessionNotification> notification_;
};

}  // namespace quorlin
