// Every key event of the desktop as a low-level keyboard hook sees it, recorded on a thread of its
// own: a hook is not always called for the keys its own thread injects, and the test's keys count.
#pragma once
#include <windows.h>

#include <vector>

#include "base/Unique_win.h"

namespace testsupport {

class KeyRecorder {
public:
    struct Event {
        DWORD vk = 0;
        bool up = false;
        bool injected = false;
        ULONG_PTR extraInfo = 0;
    };
    struct Modifiers {
        bool ctrl = false, alt = false, shift = false, win = false;
        bool Any() const { return ctrl || alt || shift || win; }
    };

    KeyRecorder();  // returns once the hook is in place
    ~KeyRecorder();
    KeyRecorder(const KeyRecorder&) = delete;
    KeyRecorder& operator=(const KeyRecorder&) = delete;

    std::vector<Event> Events() const;
    // The modifiers down just before events[index], replayed from the events before it.
    static Modifiers HeldBefore(const std::vector<Event>& events, size_t index);

private:
    static DWORD WINAPI Run(void* self);
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp);
    mutable CRITICAL_SECTION lock_;
    std::vector<Event> events_;
    quorlin::UniqueHandle ready_;
    quorlin::UniqueHandle thread_;
    DWORD threadId_ = 0;
};

}  // namespace testsupport
