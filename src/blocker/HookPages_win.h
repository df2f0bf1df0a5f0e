// The hook path stays resident: the two hook procedures and the state they read are kept together
// by the linker and locked in memory, so that the program's working-set trims (after every switch,
// show, hide and timer tick) cannot make the next input event page-fault inside a hook, which under
// memory pressure could take longer than the system waits for low-level hooks.
#pragma once
#include <windows.h>

#include "blocker/HookCode.h"

namespace quorlin {

struct HookPages {
    const void* CodeBegin = nullptr;  // the first byte of the hook code and the byte after it
    const void* CodeEnd = nullptr;
    const void* DataBegin = nullptr;  // the same for the hook state
    const void* DataEnd = nullptr;
    const void* ImportsBegin = nullptr;  // the import address table, where the procedures read
    const void* ImportsEnd = nullptr;    // the addresses of the system calls they make
    bool Locked = false;                 // VirtualLock took all three ranges
};

// Where the hook code, its state and the program's import addresses lie; locks their pages the
// first time (later calls only report).
HookPages LockHookPages();

}  // namespace quorlin
