// The MSI of `make dist` under Wine's msiexec, as the user would meet it: install, start, upgrade
// while the program runs, uninstall while it runs. tests/dist/dist_test.sh builds two packages of
// the program (the second with a higher version) and names their folders in QUORLIN_DIST_OLD and
// QUORLIN_DIST_NEW, and the second's Quorlin.exe in QUORLIN_EXE_NEW (Unix paths).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "TrayProbe.h"

using namespace testsupport;

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kUserProductsKey[] = L"Software\\Microsoft\\Installer\\Products";

// A Unix path from the environment as Wine's drive Z: shows it.
std::wstring UnixPathFromEnv(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    if (!GetEnvironmentVariableW(name, buffer, 1024)) return {};
    std::wstring path = L"Z:" + std::wstring(buffer);
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// The one Quorlin-<version>.msi in folder; empty when there is none.
std::wstring FindMsi(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\Quorlin-*.msi").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    FindClose(search);
    return folder + L"\\" + found.cFileName;
}

std::wstring VersionInName(const std::wstring& msi) {
    const std::size_t start = msi.rfind(L"Quorlin-") + 8;
    return msi.substr(start, msi.size() - 4 - start);
}

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? path : L"";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD Msiexec(const std::wstring& args) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const Process p = Start(std::wstring(system) + L"\\msiexec.exe", args);
    return p.process ? p.Wait(120000) : DWORD(-1);
}

std::wstring Text(HKEY key, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    return RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS ? value : L"";
}

// Calls visit(subkey) for every subkey of root\path.
template <class Visit>
void ForEachSubkey(HKEY root, const wchar_t* path, Visit visit) {
    HKEY parent = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &parent) != ERROR_SUCCESS) return;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(parent, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(parent, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            visit(sub);
            RegCloseKey(sub);
        }
    }
    RegCloseKey(parent);
}

struct UninstallEntry {
    std::wstring version, publisher;
    DWORD sizeKiB = 0;
};

// Apps and features: the product's entries. Windows keeps a per-user product's under HKCU, Wine
// under HKLM; both are read.
std::vector<UninstallEntry> UninstallEntries() {
    std::vector<UninstallEntry> entries;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        ForEachSubkey(root, kUninstallKey, [&](HKEY key) {
            if (Text(key, L"DisplayName") != L"Quorlin") return;
            // Windows computes EstimatedSize; Wine leaves it 0 and shows the package's size as Size.
            DWORD size = 0, length = sizeof size;
            RegGetValueW(key, nullptr, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &size, &length);
            if (!size) size = static_cast<DWORD>(_wtoi(Text(key, L"Size").c_str()));
            entries.push_back({Text(key, L"DisplayVersion"), Text(key, L"Publisher"), size});
        });
    return entries;
}

// The icons that Apps and features shows for the user's products named Quorlin.
std::vector<std::wstring> ProductIcons() {
    std::vector<std::wstring> icons;
    ForEachSubkey(HKEY_CURRENT_USER, kUserProductsKey, [&](HKEY key) {
        if (Text(key, L"ProductName") == L"Quorlin") icons.push_back(Text(key, L"ProductIcon"));
    });
    return icons;
}

// Every value of the settings key: name, type and bytes.
std::map<std::wstring, std::pair<DWORD, std::string>> SettingsValues() {
    std::map<std::wstring, std::pair<DWORD, std::string>> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kQuorlinKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0;
        char data[2048];
        DWORD size = sizeof data;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS)
            break;
        values[name] = {type, std::string(data, size)};
    }
    RegCloseKey(key);
    return values;
}

// The running program's process (found by its application window), for waiting on its end.
quorlin::UniqueHandle RunningQuorlin() {
    HWND window = FindWindowW(L"TApplication", L"Quorlin");
    DWORD pid = 0;
    if (window) GetWindowThreadProcessId(window, &pid);
    return quorlin::UniqueHandle(pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr);
}

bool ShowsTrayIcon() {
    for (const TrayTool& tool : TrayTools())
        if (!IsRectEmpty(&tool.rect) && tool.text.rfind(L"Quorlin (", 0) == 0) return true;
    return false;
}

TEST(Installer, InstallsUpgradesAndUninstallsForTheUserWhileTheProgramRuns) {
    const std::wstring oldMsi = FindMsi(UnixPathFromEnv(L"QUORLIN_DIST_OLD"));
    const std::wstring newMsi = FindMsi(UnixPathFromEnv(L"QUORLIN_DIST_NEW"));
    const std::wstring newExe = UnixPathFromEnv(L"QUORLIN_EXE_NEW");
    ASSERT_FALSE(oldMsi.empty() || newMsi.empty() || newExe.empty()) << "run by tests/dist/dist_test.sh";
    const std::wstring folder = ShellFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Quorlin";
    const std::wstring exe = folder + L"\\Quorlin.exe";
    const std::wstring shortcut = ShellFolder(CSIDL_PROGRAMS) + L"\\Quorlin.lnk";

    // Installed silently by the user, into the user's own programs folder.
    ASSERT_EQ(Msiexec(L"/i \"" + oldMsi + L"\" /qn"), 0u);
    EXPECT_TRUE(Exists(exe)) << "no program in the user's programs folder";
    EXPECT_TRUE(Exists(shortcut)) << "no Start menu shortcut";
    auto entries = UninstallEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].version, VersionInName(oldMsi));
    EXPECT_EQ(entries[0].publisher, L"VENTARIS Software");
    EXPECT_GT(entries[0].sizeKiB, 0u);
    auto icons = ProductIcons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_TRUE(Exists(icons[0])) << "the entry's icon";

    // The installed program starts, shows its tray icon and writes its logon entry (on by default).
    QuorlinProcess first(exe);
    ASSERT_TRUE(first.Start()) << first.Problem();
    EXPECT_TRUE(PumpUntil([] { return ValueType(L"Quorlin.exe", kRunKey).has_value(); }, 3000));
    first.Stop();
    const auto settings = SettingsValues();
    ASSERT_FALSE(settings.empty());

    // A higher version installed while the program runs: the old package ends it first (no
    // question), the new file takes the old one's place and one entry is left. The program starts
    // at logon, so the new version is started again at once, with the settings as they were.
    QuorlinProcess second(exe);
    ASSERT_TRUE(second.Start()) << second.Problem();
    ASSERT_EQ(Msiexec(L"/i \"" + newMsi + L"\" /qn"), 0u);
    EXPECT_NE(second.WaitExit(5000), STILL_ACTIVE) << "the upgrade left the old program running";
    entries = UninstallEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].version, VersionInName(newMsi));
    EXPECT_EQ(ProductIcons().size(), 1u);
    EXPECT_EQ(ReadFileText(exe), ReadFileText(newExe)) << "the installed program is not the new one";
    quorlin::UniqueHandle again;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (!again) again = RunningQuorlin();
            return again && ShowsTrayIcon() && ValueType(L"Quorlin.exe", kRunKey).has_value();
        },
        15000))
        << "the new version did not start again with its tray icon and logon entry";
    EXPECT_EQ(SettingsValues(), settings);

    // Uninstalled while the program runs: it ends as at the end of the session, which saves the
    // settings (written anew here into a deleted key), and everything else of it goes.
    DeleteSettingsKey();
    ASSERT_EQ(Msiexec(L"/x \"" + newMsi + L"\" /qn"), 0u);
    EXPECT_EQ(WaitForSingleObject(again.get(), 5000), WAIT_OBJECT_0) << "the uninstall left the program running";
    EXPECT_FALSE(Exists(exe));
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_TRUE(UninstallEntries().empty());
    EXPECT_TRUE(ProductIcons().empty());
    EXPECT_FALSE(ValueType(L"Quorlin.exe", kRunKey).has_value()) << "the logon entry is left";
    EXPECT_EQ(SettingsValues(), settings) << "the settings were not saved at the end, or were removed";
}

}  // namespace
