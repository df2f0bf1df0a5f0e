// The mark the program puts in the extra information of the input it injects, so that its own
// keyboard hook can tell those keys from the user's typing.
#pragma once
#include <cstdint>

namespace quorlin {

inline constexpr std::uintptr_t kOwnInputMark = 0x51524C4Eu;

constexpr bool IsOwnInput(std::uintptr_t extraInfo) noexcept { return extraInfo == kOwnInputMark; }

}  // namespace quorlin
