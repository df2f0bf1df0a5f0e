// The fake touchpad driver of tests/doubles, installed as a driver installer would: its two DLLs in
// a folder of their own, its two classes registered machine-wide (Wine ignores per-user classes).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// Behaviour values (DWORD) under HKCU\Software\QuorlinTest\SynapticsDouble, read at every call:
// InitResult, FindResult, BindResult, ReadResult, WriteResult (HRESULTs, default S_OK),
// DeviceHandle (what the search hands out, default 7), Property (the touchpad's disabled property,
// default 0 = enabled), CallDelayMs (how long each call takes, default 0). The REG_SZ LogFile
// names the call log.
constexpr wchar_t kSynapticsDoubleKey[] = L"Software\\QuorlinTest\\SynapticsDouble";

// Copies the DLLs from ExeDir() into a new folder <TEMP>\SynapticsDriver-<process>-<n>, registers both
// classes, resets every behaviour value and starts an empty log. Returns the double's full path
// (its helper SynapticsDoubleDep.dll lies beside it), empty on failure.
std::wstring InstallSynapticsDouble();
// Removes both class registrations (the files stay).
void UnregisterSynapticsDouble();

void SetSynapticsDouble(const wchar_t* name, DWORD value);
DWORD GetSynapticsDouble(const wchar_t* name, DWORD fallback);

// The calls the double received so far, one line each ("api.init", "device.set 0x10000171 1", ...).
std::vector<std::string> SynapticsDoubleLog();
void ClearSynapticsDoubleLog();

}  // namespace testsupport
