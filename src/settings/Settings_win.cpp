#include "settings/Settings_win.h"

#include <vector>

#include "base/System_win.h"

namespace quorlin {

namespace {

enum class Lookup { Found, Absent, Unusable };

// Registry value names must be zero-terminated; the views in SettingName are, but make sure.
std::wstring Z(std::wstring_view s) { return std::wstring(s); }

Lookup QueryDword(HKEY key, std::wstring_view name, std::uint32_t& out) {
    if (!key) return Lookup::Absent;
    DWORD type = REG_NONE, value = 0, size = sizeof value;
    const LSTATUS rc = RegQueryValueExW(key, Z(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (rc == ERROR_FILE_NOT_FOUND) return Lookup::Absent;
    // ERROR_MORE_DATA (a longer value) and a short one both mean it is not a DWORD we wrote.
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return Lookup::Unusable;
    out = value;
    return Lookup::Found;
}

Lookup QueryString(HKEY key, std::wstring_view name, std::wstring& out) {
    if (!key) return Lookup::Absent;
    const std::wstring zname = Z(name);
    constexpr DWORD kMaxBytes = static_cast<DWORD>((kMaxSettingTextLength + 1) * sizeof(wchar_t));
    // The value may change between probing its size and reading it; a few attempts settle that.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = REG_NONE, size = 0;
        LSTATUS rc = RegQueryValueExW(key, zname.c_str(), nullptr, &type, nullptr, &size);
        if (rc == ERROR_FILE_NOT_FOUND) return Lookup::Absent;
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxBytes)
            return Lookup::Unusable;
        // Room for an odd trailing byte and for a terminator of our own: the stored data need not
        // end in a zero character.
        const DWORD chars = (size + 1) / sizeof(wchar_t);
        std::vector<wchar_t> buf(chars + 1, L'\0');
        DWORD got = chars * sizeof(wchar_t);
        rc = RegQueryValueExW(key, zname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || got > chars * sizeof(wchar_t))
            return Lookup::Unusable;
        const std::size_t n = got / sizeof(wchar_t);  // a half character at the end is dropped
        buf[n] = L'\0';
        out.assign(buf.data());  // up to the first zero character
        return Lookup::Found;
    }
    return Lookup::Unusable;
}

// Current name first; the legacy name only when the current one does not exist at all.
template <typename T, typename Query>
std::optional<T> ReadWithLegacy(HKEY key, const SettingName& name, Query query) {
    T value{};
    Lookup r = query(key, name.Name, value);
    if (r == Lookup::Absent && !name.Legacy.empty()) r = query(key, name.Legacy, value);
    if (r == Lookup::Found) return value;
    return std::nullopt;
}

}  // namespace

SettingsReader::SettingsReader(HKEY root, std::wstring_view path) {
    const std::wstring sub(RelativeKeyPath(path));
    if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_QUERY_VALUE, key_.put()) != ERROR_SUCCESS) (void)key_.release();
}

std::optional<bool> SettingsReader::ReadBool(const SettingName& name) const {
    auto v = ReadWithLegacy<std::uint32_t>(key_.get(), name, QueryDword);
    if (!v) return std::nullopt;
    return *v != 0;
}

std::optional<std::int32_t> SettingsReader::ReadInt(const SettingName& name) const {
    auto v = ReadWithLegacy<std::uint32_t>(key_.get(), name, QueryDword);
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::optional<std::wstring> SettingsReader::ReadString(const SettingName& name) const {
    return ReadWithLegacy<std::wstring>(key_.get(), name, QueryString);
}

SettingsWriter::SettingsWriter(HKEY root, std::wstring_view path) {
    if (root != HKEY_CURRENT_USER) return;
    const std::wstring sub(RelativeKeyPath(path));
    if (RegCreateKeyExW(root, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key_.put(),
                        nullptr) != ERROR_SUCCESS)
        (void)key_.release();
}

bool SettingsWriter::WriteInt(const SettingName& name, std::int32_t value) {
    if (!key_) return false;
    const DWORD data = static_cast<DWORD>(value);
    return RegSetValueExW(key_.get(), Z(name.Name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

bool SettingsWriter::Delete(const SettingName& name) {
    if (!key_) return false;
    const LSTATUS rc = RegDeleteValueW(key_.get(), Z(name.Name).c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool SettingsWriter::WriteBool(const SettingName& name, bool value) { return WriteInt(name, value ? 1 : 0); }

bool SettingsWriter::WriteString(const SettingName& name, std::wstring_view value) {
    if (!key_ || value.size() > kMaxSettingTextLength) return false;
    const std::wstring data(value);  // with its terminating zero
    return RegSetValueExW(key_.get(), Z(name.Name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

namespace {

// The reader's and writer's call for each kind of row.
std::optional<bool> Read(const SettingsReader& r, const BoolSetting& row) { return r.ReadBool(row.Name); }
std::optional<std::int32_t> Read(const SettingsReader& r, const IntSetting& row) { return r.ReadInt(row.Name); }
std::optional<std::wstring> Read(const SettingsReader& r, const TextSetting& row) { return r.ReadString(row.Name); }
bool Write(SettingsWriter& w, const BoolSetting& row, bool v) { return w.WriteBool(row.Name, v); }
bool Write(SettingsWriter& w, const IntSetting& row, std::int32_t v) { return w.WriteInt(row.Name, v); }
bool Write(SettingsWriter& w, const TextSetting& row, const std::wstring& v) { return w.WriteString(row.Name, v); }

// A map's entries: DWORDs the row's filter takes under names no longer than any text setting; the
// rest is left out, so it reads as absent and a damaged value costs nothing.
DwordMap LoadMap(const MapSetting& row, HKEY root, std::wstring_view path) {
    DwordMap map;
    const std::wstring sub = std::wstring(RelativeKeyPath(path)) + L'\\' + std::wstring(row.Name.Name);
    UniqueKey key;
    if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        (void)key.release();
        return map;
    }
    std::vector<wchar_t> name(kMaxSettingTextLength + 1);
    for (DWORD index = 0; map.size() < kMaxMapEntries; ++index) {
        DWORD chars = static_cast<DWORD>(name.size()), type = REG_NONE, value = 0, size = sizeof value;
        const LSTATUS rc = RegEnumValueW(key.get(), index, name.data(), &chars, nullptr, &type,
                                         reinterpret_cast<BYTE*>(&value), &size);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value || !row.Value({name.data(), chars}, value))
            continue;
        map.emplace(std::wstring(name.data(), chars), value);
    }
    return map;
}

bool SaveMap(const MapSetting& row, const DwordMap& map, HKEY root, std::wstring_view path) {
    if (map.empty()) return true;  // no subkey for nobody's choice
    SettingsWriter w(root, std::wstring(path) + L'\\' + std::wstring(row.Name.Name));
    bool ok = w.IsOpen();
    for (const auto& [name, value] : map)
        ok &= row.Value(name, value) ? w.WriteInt({name}, static_cast<std::int32_t>(value)) : w.Delete({name});
    return ok;
}

}  // namespace

AppSettings LoadAppSettings(HKEY root, std::wstring_view path) {
    const SettingsReader r(root, path);
    AppSettings s;
    ForEachSetting([&](const auto& row) {
        if (auto v = Read(r, row)) s.*row.Member = std::move(*v);
    });
    for (const MapSetting& row : kSettingsMaps) s.*row.Member = LoadMap(row, root, path);
    return s;
}

bool SaveAppSettings(const AppSettings& s, HKEY root, std::wstring_view path) {
    SettingsWriter w(root, path);
    if (!w.IsOpen()) return false;
    // Every write is attempted even after one fails, so one bad value costs only itself.
    bool ok = true;
    ForEachSetting([&](const auto& row) { ok &= Write(w, row, s.*row.Member); });
    for (const MapSetting& row : kSettingsMaps) ok &= SaveMap(row, s.*row.Member, root, path);
    return ok;
}

bool SetRunEntry(bool enabled, std::wstring_view exePath) {
    const std::wstring name = RunEntryName(exePath);
    // An empty name would address the Run key's default value, which is not ours.
    if (name.empty()) return false;
    UniqueKey key;
    const std::wstring sub(kRunKeyPath);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        (void)key.release();
        return false;
    }
    if (!enabled) {
        const LSTATUS rc = RegDeleteValueW(key.get(), name.c_str());
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring cmd = RunEntryCommand(exePath);
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(cmd.c_str()),
                          static_cast<DWORD>((cmd.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RemoveRunEntryOf(std::wstring_view exePath) {
    const std::wstring name = RunEntryName(exePath);
    wchar_t command[2048];
    DWORD size = sizeof command;
    // The path's view is of a literal, so it ends in a zero.
    const LSTATUS rc = RegGetValueW(HKEY_CURRENT_USER, kRunKeyPath.data(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                                    command, &size);
    if (rc != ERROR_SUCCESS) return rc == ERROR_FILE_NOT_FOUND;
    return !SamePath(RunEntryExecutable(command), exePath) || SetRunEntry(false, exePath);
}

bool SetRunEntry(bool enabled) {
    const std::wstring exe = RunningExePath();
    if (exe.empty()) return false;
    return SetRunEntry(enabled, exe);
}

}  // namespace quorlin
