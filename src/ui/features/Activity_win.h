// The tray item "Activity…" and the window it opens, one at a time; the diagnostics report's facts.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ui/features/ActivityWindow_win.h"
#include "ui/features/Feature.h"

namespace quorlin {

class Activity : public Feature {
public:
    // setInterval: what the settings window's interval list does with a choice.
    Activity(FeatureHost& host, std::function<void(std::uint32_t)> setInterval);

    // Opens the window, or brings the open one to the front.
    void Open();
    // The report "Copy diagnostics" puts on the clipboard.
    std::wstring Diagnostics() const;

    void AddMenuItems(TrayMenu& menu) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    std::function<void(std::uint32_t)> setInterval_;
    std::unique_ptr<ActivityWindow> window_;  // only while open: its data goes with it
    std::uint32_t clearedAt_ = 0;             // the ring's count at the last "Clear"
};

}  // namespace quorlin
