// The floor with Quorlin's DLL set: bench_TrayRef linked with ole32, oleaut32 and the common
// controls of version 6 (Quorlin's manifest), and bringing them up as Quorlin does. What this
// costs beyond bench_TrayRef is the price of those DLLs under Wine, before any code of Quorlin's.
#define TRAYREF_WITH_QUORLIN_DLLS
#include "TrayRef.cpp"
