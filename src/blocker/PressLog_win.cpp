#include "blocker/PressLog_win.h"

#include "blocker/HookCode.h"

namespace quorlin {

QUORLIN_HOOK_DATA activity::PressRing PressLog;

}  // namespace quorlin
