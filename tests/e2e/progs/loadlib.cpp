// Loads the DLL named on its command line the way a program that does nothing about DLL planting
// would (a bare name, the loader's search order) and exits 0 when it was loaded, 1 otherwise.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR args, int) { return LoadLibraryW(args) ? 0 : 1; }
