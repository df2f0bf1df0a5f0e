// Watches for message boxes of this process from another thread: records each box's caption and
// text, closes it with OK and, once it is gone, runs afterClose (on the watcher's thread).
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(std::function<void()> afterClose = nullptr);
    ~MessageBoxWatcher();
    // "caption|text" and "|error icon" when the box shows the system's error icon.
    std::vector<std::wstring> Seen();

private:
    void Watch();
    static BOOL CALLBACK CollectStatic(HWND child, LPARAM lp);
    std::function<void()> afterClose_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::wstring> seen_;
    std::thread thread_;
};

}  // namespace testsupport
