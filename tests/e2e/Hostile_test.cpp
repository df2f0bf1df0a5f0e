// The real Quorlin.exe against a profile that another program or a damaged registry left hostile:
// every value of the settings key with every other registry type, empty, huge, junk or cut short;
// a settings key it may read but not write; a Run key it may not write and a value standing in
// the settings key's place. It must start, show its window, run on its defaults, save what is
// sound and keep what it cannot use, silently.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "settings/Settings.h"

using namespace testsupport;
using quorlin::ForEachSetting;

namespace {

std::string Narrow(std::wstring_view w) { return std::string(w.begin(), w.end()); }

template <typename Row>
constexpr bool IsText = std::is_same_v<std::remove_cvref_t<Row>, quorlin::TextSetting>;

// The registry types a value can have, the program's own (REG_DWORD, REG_SZ) among them.
constexpr DWORD kTypes[] = {REG_NONE,  REG_SZ,   REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN,
                            REG_MULTI_SZ, REG_QWORD};
constexpr std::size_t kTypeCount = std::size(kTypes);

// Data of one shape: nothing, a megabyte of text, junk bytes of an odd length, a text without its
// terminating zero.
std::vector<BYTE> Shape(std::size_t shape) {
    switch (shape % 4) {
    case 0: return {};
    case 1: {
        std::vector<BYTE> huge(1 << 20, 'x');
        huge.insert(huge.end(), {0, 0});
        return huge;
    }
    case 2: return {0xFF, 0xFE, 0x00, 0x80, 0x7F, 0x01, 0xC3};
    default: {
        const std::wstring digits = L"12345";
        return std::vector<BYTE>(reinterpret_cast<const BYTE*>(digits.data()),
                                 reinterpret_cast<const BYTE*>(digits.data() + digits.size()));
    }
    }
}

// Replaces a key's access list (SDDL text); false when the system refused.
bool SetKeyAccess(const wchar_t* path, const wchar_t* sddl) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, WRITE_DAC | READ_CONTROL, &key) != ERROR_SUCCESS) return false;
    PSECURITY_DESCRIPTOR sd = nullptr;
    bool ok = ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr) &&
              RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    LocalFree(sd);
    RegCloseKey(key);
    return ok;
}
// Everyone may read and change the access list, nobody may write.
constexpr wchar_t kReadOnly[] = L"D:P(A;;KRWD;;;WD)";
constexpr wchar_t kFullAccess[] = L"D:P(A;;KA;;;WD)";

bool CanWrite(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Every value of the key: name to type and data.
std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> Snapshot(const wchar_t* path) {
    std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size);
        nameLength = 256;
        RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
        values[name] = {type, data};
    }
    RegCloseKey(key);
    return values;
}

class HostileEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { app_.Stop(); }

    // Starts, sees the window and the tip, ends as the session's end does; the program must have
    // run on its own and ended by itself, saying nothing.
    void RunOnce() {
        ASSERT_TRUE(app_.Start()) << app_.Problem();
        EXPECT_TRUE(app_.Visible());
        EXPECT_TRUE(TopLevelWindows(app_.Pid(), L"TMessageForm").empty());
        EXPECT_TRUE(TopLevelWindows(app_.Pid(), L"#32770").empty());
        app_.Stop();
        EXPECT_EQ(app_.WaitExit(0), 0u) << "it did not end by itself";
    }

    // After a save from defaults: every value of the table has its own type and its default
    // (the bounds and their DPI are the window's, whatever the start found).
    static void ExpectSavedDefaults() {
        ForEachSetting([](const auto& row) {
            const std::wstring name(row.Name.Name);
            SCOPED_TRACE(Narrow(name));
            if constexpr (IsText<decltype(row)>) {
                ASSERT_EQ(ValueType(name.c_str()), REG_SZ);
                if (name != L"Bounds") EXPECT_EQ(ReadText(name.c_str()), std::wstring(row.Value));
                else EXPECT_TRUE(quorlin::ParseBounds(ReadText(name.c_str()).value_or(L"")));
            } else {
                ASSERT_EQ(ValueType(name.c_str()), REG_DWORD);
                if (name != L"BoundsDpi") EXPECT_EQ(ReadDword(name.c_str()), static_cast<DWORD>(row.Value));
                else EXPECT_EQ(ReadDword(name.c_str()), 96u) << "the window's, as the bounds";
            }
        });
    }

    QuorlinProcess app_;
};

}  // namespace

TEST_F(HostileEndToEnd, EveryValueWithEveryRegistryTypeKeepsTheDefaultsAndIsSavedSound) {
    // Round r gives the i-th value the type kTypes[(i + r) % 8], so over the rounds every value
    // meets every type, with the shapes turning over too. Its own type comes with data that type
    // cannot carry: a DWORD of the wrong size, a text over the length limit.
    for (std::size_t round = 0; round < kTypeCount; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        DeleteSettingsKey();
        std::size_t i = 0;
        ForEachSetting([&](const auto& row) {
            const DWORD type = kTypes[(i + round) % kTypeCount];
            std::size_t shape = i + round / 2;
            const bool ownType = IsText<decltype(row)> ? type == REG_SZ || type == REG_EXPAND_SZ : type == REG_DWORD;
            if (ownType) shape = IsText<decltype(row)> ? 1 : (shape % 2 ? 2 : 0);
            const std::vector<BYTE> data = Shape(shape);
            WriteRaw(std::wstring(row.Name.Name).c_str(), type, data.data(), static_cast<DWORD>(data.size()));
            ++i;
        });
        RunOnce();
        ExpectSavedDefaults();
        if (HasFatalFailure()) return;
    }
}

TEST_F(HostileEndToEnd, ReadOnlySettingsKeyIsReadAndLeftAsItWas) {
    WriteDword(L"BlockerEnabled", 0);
    WriteDword(L"Delay", 1000);
    WriteText(L"BlockerShortcut", L"Ctrl+F11");
    WriteText(L"Unrelated", L"kept");
    const auto before = Snapshot(kQuorlinKey);
    ASSERT_TRUE(SetKeyAccess(kQuorlinKey, kReadOnly));
    ASSERT_FALSE(CanWrite(kQuorlinKey)) << "Wine enforces registry access lists";

    ASSERT_TRUE(app_.Start()) << app_.Problem();
    const HWND blocker = FindCheckBox(app_.Window(), L"Block accidental taps and clicks");
    ASSERT_TRUE(blocker);
    EXPECT_FALSE(IsChecked(blocker)) << "the stored settings were read";
    EXPECT_TRUE(TopLevelWindows(app_.Pid(), L"TMessageForm").empty());
    app_.Stop();
    EXPECT_EQ(app_.WaitExit(0), 0u);

    EXPECT_EQ(Snapshot(kQuorlinKey), before);
    ASSERT_TRUE(SetKeyAccess(kQuorlinKey, kFullAccess));
}

TEST_F(HostileEndToEnd, UnwritableRunKeyAndAValueInTheSettingsKeysPlaceLoseNothing) {
    // A value named like the settings key beside where the key belongs, and a locked Run key
    // holding another program's entry.
    constexpr wchar_t kParent[] = L"Software\\VENTARIS";
    const std::wstring keyName = std::wstring(kQuorlinKey).substr(std::size(kParent));
    WriteText(keyName.c_str(), L"a value, not a key", kParent);
    WriteText(L"Other program", L"\"C:\\other.exe\"", kRunKey);
    const auto runBefore = Snapshot(kRunKey);
    ASSERT_TRUE(SetKeyAccess(kRunKey, kReadOnly));

    RunOnce();
    EXPECT_EQ(Snapshot(kRunKey), runBefore) << "AutoRun is on by default, and failed silently";
    EXPECT_EQ(ReadText(keyName.c_str(), kParent), L"a value, not a key");
    ExpectSavedDefaults();
    ASSERT_TRUE(SetKeyAccess(kRunKey, kFullAccess));
}
