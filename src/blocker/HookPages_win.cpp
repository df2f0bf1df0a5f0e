#include "blocker/HookPages_win.h"

namespace quorlin {

namespace {

// The markers around the hook sections (see QUORLIN_HOOK_CODE): the linker puts "_a" before and
// "_c" after everything in "_b". Used, so that neither the compiler nor the linker drops them.
__attribute__((section(".text$quorlin_hook_a"), used, noinline)) void HookCodeBegin() {}
__attribute__((section(".text$quorlin_hook_c"), used, noinline)) void HookCodeEnd() {}
__attribute__((section(".data$quorlin_hook_a"), used)) char HookDataBegin = 0;
__attribute__((section(".data$quorlin_hook_c"), used)) char HookDataEnd = 0;

const void* Address(void (*function)()) { return reinterpret_cast<const void*>(function); }

// The program's import address table, from its PE header.
void ImportTable(const void*& begin, const void*& end) {
    const auto* base = reinterpret_cast<const char*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& iat = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    begin = base + iat.VirtualAddress;
    end = base + iat.VirtualAddress + iat.Size;
}

bool Lock(const void* begin, const void* end) {
    const auto size = static_cast<SIZE_T>(static_cast<const char*>(end) - static_cast<const char*>(begin));
    return VirtualLock(const_cast<void*>(begin), size) != FALSE;
}

}  // namespace

HookPages LockHookPages() {
    static const HookPages pages = [] {
        HookPages p;
        p.CodeBegin = Address(HookCodeBegin);
        p.CodeEnd = static_cast<const char*>(Address(HookCodeEnd)) + 1;
        p.DataBegin = &HookDataBegin;
        p.DataEnd = &HookDataEnd + 1;
        ImportTable(p.ImportsBegin, p.ImportsEnd);
        // Every range, even when one fails; the program runs on either way, only less sure to keep
        // its hooks under memory pressure.
        const bool code = Lock(p.CodeBegin, p.CodeEnd);
        const bool data = Lock(p.DataBegin, p.DataEnd);
        const bool imports = p.ImportsEnd > p.ImportsBegin && Lock(p.ImportsBegin, p.ImportsEnd);
        p.Locked = code && data && imports;
        return p;
    }();
    return pages;
}

}  // namespace quorlin
