// Marks what the low-level hooks run, so that it lands in the pages kept resident for them (see
// HookPages_win.h). Platform-free code the hooks call marks its definitions too; elsewhere the
// marks mean nothing.
#pragma once

// On a definition: the linker sorts sections by name, so these land between the markers
// HookPages_win.cpp puts into "..._a" and "..._c". flatten inlines everything the function calls,
// so no call leaves the pages except into the system's DLLs or into another marked function.
#if defined(_WIN32) && defined(__GNUC__)
#define QUORLIN_HOOK_CODE __attribute__((section(".text$quorlin_hook_b"), flatten))
#define QUORLIN_HOOK_DATA __attribute__((section(".data$quorlin_hook_b")))
#else
#define QUORLIN_HOOK_CODE
#define QUORLIN_HOOK_DATA
#endif
