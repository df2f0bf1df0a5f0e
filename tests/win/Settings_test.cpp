// The settings store and the logon entry against the real registry of a throwaway Wine prefix.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settings/Settings_win.h"
#include "base/System_win.h"

using namespace quorlin;

namespace {

const wchar_t* const kKey = L"Software\\VENTARIS\\Quorlin";

struct RawValue {
    LSTATUS status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    DWORD Dword() const { return data.size() == 4 ? *reinterpret_cast<const DWORD*>(data.data()) : 0xDEADBEEF; }
    std::wstring Text() const {
        return std::wstring(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    }
};

RawValue QueryRaw(HKEY root, const wchar_t* key, const wchar_t* name) {
    RawValue v;
    UniqueKey k;
    if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, k.put()) != ERROR_SUCCESS) {
        (void)k.release();
        return v;
    }
    DWORD size = 0;
    v.status = RegQueryValueExW(k.get(), name, nullptr, &v.type, nullptr, &size);
    if (v.status != ERROR_SUCCESS) return v;
    v.data.resize(size);
    v.status = RegQueryValueExW(k.get(), name, nullptr, &v.type, v.data.data(), &size);
    v.data.resize(size);
    return v;
}
RawValue Raw(const wchar_t* name) { return QueryRaw(HKEY_CURRENT_USER, kKey, name); }

void PutRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    UniqueKey k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(k.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}
void PutDword(const wchar_t* name, DWORD v) { PutRaw(name, REG_DWORD, &v, sizeof v); }
void PutText(const wchar_t* name, const std::wstring& s, DWORD type = REG_SZ) {
    PutRaw(name, type, s.c_str(), static_cast<DWORD>((s.size() + 1) * sizeof(wchar_t)));
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VENTARIS"); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VENTARIS"); }
};

AppSettings NonDefaults() {
    AppSettings s;
    s.Bounds = L"-5,10,300,400";
    s.Visible = false;
    s.AutoRun = false;
    s.Balloons = false;
    s.Internet = false;
    s.BlockerEnabled = false;
    s.BlockEvents = false;
    s.BeepOnClick = false;
    s.BlockCount = 123456;
    s.Delay = 1500;
    s.BlockerSwitch = false;
    s.BlockerShortcut = L"Shift+F5";
    s.TouchpadSwitch = true;
    s.TouchpadShortcut = L"Ctrl+Alt+\x00C4";
    return s;
}

// Every value of a sound save: its name, registry type and data.
void ExpectStoredAs(const AppSettings& s) {
    const struct { const wchar_t* name; DWORD value; } dwords[] = {
        {L"Visible", s.Visible},       {L"AutoRun", s.AutoRun},
        {L"Balloons", s.Balloons},     {L"Internet", s.Internet},
        {L"BlockerEnabled", s.BlockerEnabled}, {L"BlockEvents", s.BlockEvents},
        {L"BeepOnClick", s.BeepOnClick}, {L"BlockCount", static_cast<DWORD>(s.BlockCount)},
        {L"Delay", static_cast<DWORD>(s.Delay)}, {L"BlockerSwitch", s.BlockerSwitch},
        {L"TouchpadSwitch", s.TouchpadSwitch},
    };
    for (const auto& d : dwords) {
        const RawValue v = Raw(d.name);
        ASSERT_EQ(v.status, ERROR_SUCCESS) << d.name;
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD)) << d.name;
        EXPECT_EQ(v.Dword(), d.value) << d.name;
    }
    const struct { const wchar_t* name; const std::wstring& value; } texts[] = {
        {L"Bounds", s.Bounds}, {L"BlockerShortcut", s.BlockerShortcut}, {L"TouchpadShortcut", s.TouchpadShortcut}};
    for (const auto& t : texts) {
        const RawValue v = Raw(t.name);
        ASSERT_EQ(v.status, ERROR_SUCCESS) << t.name;
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ)) << t.name;
        EXPECT_EQ(v.Text(), t.value + L'\0') << t.name;  // stored with its terminator
    }
}

}  // namespace

TEST_F(SettingsStore, MissingKeyGivesEveryDefault) {
    const SettingsReader r;
    EXPECT_FALSE(r.IsOpen());
    EXPECT_EQ(r.ReadBool(SettingName{L"Visible"}), std::nullopt);
    EXPECT_EQ(r.ReadString(SettingName{L"Bounds"}), std::nullopt);
    EXPECT_EQ(r.ReadInt(SettingName{L"Delay"}, 77), 77);

    const AppSettings s = LoadAppSettings();
    EXPECT_EQ(s, AppSettings{});
    EXPECT_EQ(s.Bounds, L"0,0,0,0");
    EXPECT_TRUE(s.Visible && s.BlockerEnabled && s.BlockerSwitch);
    EXPECT_FALSE(s.TouchpadSwitch);
    EXPECT_EQ(s.Delay, 500);
    EXPECT_EQ(s.BlockerShortcut, L"Ctrl+F9");
    EXPECT_EQ(s.TouchpadShortcut, L"Ctrl+Alt+F9");

    // An existing but empty key reads the same.
    ASSERT_TRUE(SettingsWriter().IsOpen());
    EXPECT_TRUE(SettingsReader().IsOpen());
    EXPECT_EQ(LoadAppSettings(), AppSettings{});
}

TEST_F(SettingsStore, SaveWritesEveryValueWithItsTypeAndLoadReadsItBack) {
    for (const AppSettings& s : {NonDefaults(), AppSettings{}}) {
        ASSERT_TRUE(SaveAppSettings(s));
        ExpectStoredAs(s);
        EXPECT_EQ(LoadAppSettings(), s);
    }
    // The signed integers survive their DWORD form.
    AppSettings n;
    n.BlockCount = INT32_MIN;
    n.Delay = -1;
    ASSERT_TRUE(SaveAppSettings(n));
    EXPECT_EQ(Raw(L"Delay").Dword(), 0xFFFFFFFFu);
    EXPECT_EQ(LoadAppSettings(), n);
}

TEST_F(SettingsStore, DevicePlacementsLiveInTheDevicesSubkeyAndOnlyOneOrTwoIsRead) {
    const std::wstring devices = std::wstring(kKey) + L"\\Devices";
    const auto put = [&](const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, devices.c_str(), name, type, data, size), ERROR_SUCCESS);
    };
    const DWORD one = 1, two = 2, zero = 0, three = 3;
    put(L"A", REG_DWORD, &one, 4);
    put(L"B", REG_DWORD, &two, 4);
    put(L"C", REG_DWORD, &zero, 4);
    put(L"D", REG_DWORD, &three, 4);
    put(L"E", REG_SZ, L"1", 4);
    put(L"F", REG_BINARY, &one, 2);
    const std::map<std::wstring, std::uint32_t> placed{{L"A", 1}, {L"B", 2}};
    EXPECT_EQ(LoadAppSettings().DeviceOverrides, placed);

    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VENTARIS");
    ASSERT_TRUE(SaveAppSettings(AppSettings{}));
    EXPECT_EQ(QueryRaw(HKEY_CURRENT_USER, devices.c_str(), L"A").status, ERROR_FILE_NOT_FOUND) << "none made for none";
    AppSettings s;
    s.DeviceOverrides = placed;
    ASSERT_TRUE(SaveAppSettings(s));
    EXPECT_EQ(QueryRaw(HKEY_CURRENT_USER, devices.c_str(), L"B").Dword(), 2u);
    EXPECT_EQ(LoadAppSettings(), s);
}

TEST_F(SettingsStore, ReaderHandsOutSingleValuesAndAbsenceSeparately) {
    PutDword(L"AutoRun", 0);
    PutDword(L"Balloons", 2);  // any non-zero is true
    PutText(L"Bounds", L"120,80,436,526");
    PutText(L"TouchpadShortcut", L"%TEMP%x", REG_EXPAND_SZ);  // read as stored, not expanded
    const SettingsReader r;
    EXPECT_EQ(r.ReadBool(SettingName{L"AutoRun"}), false);
    EXPECT_EQ(r.ReadBool(SettingName{L"Balloons"}), true);
    EXPECT_EQ(r.ReadBool(SettingName{L"Internet"}), std::nullopt);
    EXPECT_EQ(r.ReadString(SettingName{L"Bounds"}), L"120,80,436,526");
    EXPECT_EQ(r.ReadString(SettingName{L"TouchpadShortcut"}), L"%TEMP%x");
    EXPECT_EQ(r.ReadString(SettingName{L"BlockerShortcut"}, L"dflt"), L"dflt");
}

TEST_F(SettingsStore, LegacyNamesAreReadOnlyInPlaceOfAbsentCurrentNamesAndNeverWritten) {
    PutDword(L"Threshhold", 1000);
    PutDword(L"ShortcutEnabled", 0);
    PutText(L"Shortcut", L"Ctrl+F12");
    AppSettings s = LoadAppSettings();
    EXPECT_EQ(s.Delay, 1000);
    EXPECT_FALSE(s.BlockerSwitch);
    EXPECT_EQ(s.BlockerShortcut, L"Ctrl+F12");

    ASSERT_TRUE(SaveAppSettings(s));
    EXPECT_EQ(Raw(L"Delay").Dword(), 1000u);
    EXPECT_EQ(Raw(L"BlockerSwitch").Dword(), 0u);
    EXPECT_EQ(Raw(L"BlockerShortcut").Text(), std::wstring(L"Ctrl+F12") + L'\0');
    EXPECT_EQ(Raw(L"Threshhold").Dword(), 1000u);  // left alone

    // Once the current name exists, the legacy one no longer counts.
    PutDword(L"Threshhold", 2500);
    EXPECT_EQ(LoadAppSettings().Delay, 1000);
}

TEST_F(SettingsStore, PresentButUnusableCurrentValueDoesNotFallBackToLegacy) {
    PutText(L"Delay", L"750");
    PutDword(L"Threshhold", 1000);
    EXPECT_EQ(LoadAppSettings().Delay, 500);
}

TEST_F(SettingsStore, ValuesOfTheWrongKindReadAsAbsentAndTheNextSaveRepairsThem) {
    const BYTE oneByte = 1;
    const BYTE eightBytes[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    const WORD twoBytes = 1;
    const DWORD fourBytes = 0;
    PutText(L"Visible", L"0");                             // text where a boolean belongs
    PutRaw(L"AutoRun", REG_BINARY, &oneByte, 1);           // binary of one byte
    PutRaw(L"Balloons", REG_BINARY, &fourBytes, 4);        // binary of a DWORD's size: still not a DWORD
    PutRaw(L"Internet", REG_DWORD, &twoBytes, 2);          // DWORD type, too short
    PutRaw(L"BlockEvents", REG_DWORD, eightBytes, 8);      // DWORD type, too long
    PutRaw(L"BeepOnClick", REG_QWORD, eightBytes, 8);
    PutRaw(L"BlockerEnabled", REG_DWORD_BIG_ENDIAN, &fourBytes, 4);
    PutText(L"BlockCount", L"42");
    PutRaw(L"Delay", REG_MULTI_SZ, L"600\0\0", 10);
    PutDword(L"Bounds", 5);                                // number where a text belongs
    PutRaw(L"BlockerShortcut", REG_BINARY, L"Ctrl+F5", 16);
    PutRaw(L"TouchpadSwitch", REG_NONE, nullptr, 0);
    const std::wstring huge(1 << 19, L'A');               // 1 MB of text
    PutText(L"TouchpadShortcut", huge);

    const AppSettings loaded = LoadAppSettings();
    EXPECT_EQ(loaded, AppSettings{});

    ASSERT_TRUE(SaveAppSettings(loaded));
    ExpectStoredAs(AppSettings{});
    EXPECT_EQ(LoadAppSettings(), AppSettings{});
}

TEST_F(SettingsStore, TextsWithoutTerminatorOrWithOddLengthAreCutCleanly) {
    const wchar_t shift[] = L"Shift+F5";                  // stored without its zero
    PutRaw(L"BlockerShortcut", REG_SZ, shift, 8 * sizeof(wchar_t));
    PutRaw(L"TouchpadShortcut", REG_SZ, L"Ctrl+F7X", 7 * sizeof(wchar_t) + 1);  // and half an "X"
    PutRaw(L"Bounds", REG_SZ, L"1,2,3,4\0junk\0", 14 * sizeof(wchar_t));       // up to the first zero
    PutRaw(L"TouchpadSwitch", REG_DWORD, &shift, 0);      // empty DWORD
    const AppSettings s = LoadAppSettings();
    EXPECT_EQ(s.BlockerShortcut, L"Shift+F5");
    EXPECT_EQ(s.TouchpadShortcut, L"Ctrl+F7");
    EXPECT_EQ(s.Bounds, L"1,2,3,4");
    EXPECT_FALSE(s.TouchpadSwitch);

    // An empty text is a value (no shortcut), not an absent one.
    PutRaw(L"BlockerShortcut", REG_SZ, nullptr, 0);
    EXPECT_EQ(SettingsReader().ReadString(SettingName{L"BlockerShortcut"}), L"");
}

TEST_F(SettingsStore, TextLengthLimitIsTheSameForReadingAndWriting) {
    const std::wstring longest(kMaxSettingTextLength, L'x');
    SettingsWriter w;
    ASSERT_TRUE(w.WriteString(SettingName{L"Bounds"}, longest));
    EXPECT_EQ(SettingsReader().ReadString(SettingName{L"Bounds"}), longest);
    EXPECT_FALSE(w.WriteString(SettingName{L"Bounds"}, longest + L'x'));
    EXPECT_EQ(SettingsReader().ReadString(SettingName{L"Bounds"}), longest);  // the earlier value stays
    PutText(L"Bounds", longest + L'x');
    EXPECT_EQ(SettingsReader().ReadString(SettingName{L"Bounds"}), std::nullopt);
}

TEST_F(SettingsStore, WritesGoOnlyUnderTheCurrentUser) {
    SettingsWriter w(HKEY_LOCAL_MACHINE, L"\\Software\\VENTARIS\\Quorlin");
    EXPECT_FALSE(w.IsOpen());
    EXPECT_FALSE(w.WriteBool(SettingName{L"Visible"}, true));
    EXPECT_FALSE(SaveAppSettings(AppSettings{}, HKEY_LOCAL_MACHINE));
    EXPECT_EQ(QueryRaw(HKEY_LOCAL_MACHINE, kKey, L"Visible").status, ERROR_FILE_NOT_FOUND);
    UniqueKey k;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\VENTARIS", 0, KEY_READ, k.put()), ERROR_SUCCESS);
    (void)k.release();
}

TEST_F(SettingsStore, KeyPathWithOrWithoutLeadingBackslashIsTheSameKey) {
    SettingsWriter(HKEY_CURRENT_USER, L"\\Software\\VENTARIS\\Quorlin").WriteInt(SettingName{L"BlockCount"}, 9);
    EXPECT_EQ(SettingsReader(HKEY_CURRENT_USER, L"Software\\VENTARIS\\Quorlin").ReadInt(SettingName{L"BlockCount"}), 9);
    EXPECT_EQ(Raw(L"BlockCount").Dword(), 9u);
}

TEST(RunEntryTest, AppearsWithTheExactCommandLineAndDisappears) {
    const wchar_t* const runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    EXPECT_EQ(RunningExePath(), self);
    const std::wstring expected = L"\"" + std::wstring(self) + L"\" -startup";
    const wchar_t* const name = L"win_Settings_test.exe";

    // The Run key may not exist yet in a fresh profile; writing creates it.
    RegDeleteTreeW(HKEY_CURRENT_USER, runKey);
    ASSERT_TRUE(SetRunEntry(true));
    RawValue v = QueryRaw(HKEY_CURRENT_USER, runKey, name);
    ASSERT_EQ(v.status, ERROR_SUCCESS);
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(v.Text(), expected + L'\0');

    // Writing again replaces a stale path.
    ASSERT_TRUE(SetRunEntry(true, L"C:\\old\\win_Settings_test.exe"));
    EXPECT_EQ(QueryRaw(HKEY_CURRENT_USER, runKey, name).Text(),
              std::wstring(L"\"C:\\old\\win_Settings_test.exe\" -startup") + L'\0');
    ASSERT_TRUE(SetRunEntry(true));
    EXPECT_EQ(QueryRaw(HKEY_CURRENT_USER, runKey, name).Text(), expected + L'\0');

    // Other programs' entries are untouched by ours.
    {
        UniqueKey k;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, runKey, 0, KEY_SET_VALUE, k.put()), ERROR_SUCCESS);
        const std::wstring other = L"other.exe";
        RegSetValueExW(k.get(), L"Other", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()), 20);
    }
    ASSERT_TRUE(SetRunEntry(false));
    EXPECT_EQ(QueryRaw(HKEY_CURRENT_USER, runKey, name).status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(QueryRaw(HKEY_CURRENT_USER, runKey, L"Other").status, ERROR_SUCCESS);
    EXPECT_TRUE(SetRunEntry(false));  // deleting what is not there is fine

    // A path without a file name would address the key's default value: refused.
    EXPECT_FALSE(SetRunEntry(true, L"C:\\dir\\"));
    EXPECT_EQ(QueryRaw(HKEY_CURRENT_USER, runKey, L"").status, ERROR_FILE_NOT_FOUND);
}
