// The floor with Quorlin's DLL set on a machine without the touchpad driver: bench_TrayRef with the
// common controls of version 6 (Quorlin's manifest), brought up as Quorlin does. What this costs
// beyond bench_TrayRef is the price of those DLLs under Wine, before any code of Quorlin's.
#define TRAYREF_WITH_QUORLIN_DLLS
#include "TrayRef.cpp"
