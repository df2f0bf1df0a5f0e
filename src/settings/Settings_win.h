// The settings key and the logon start entry in the registry.
// Reads never fail loudly: a value that is absent, of another type than the one the program writes,
// of the wrong size or too long reads as "not there", so the caller's default holds.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/Settings.h"
#include "base/Unique_win.h"

namespace quorlin {

// Single values of the settings key, read-only; LoadAppSettings builds on it.
// When the key cannot be opened, every value reads as absent.
class SettingsReader {
public:
    explicit SettingsReader(HKEY root = HKEY_CURRENT_USER, std::wstring_view path = kSettingsKeyPath);

    bool IsOpen() const noexcept { return static_cast<bool>(key_); }

    // Nothing when the value is absent or unusable. A legacy name is tried only when the current
    // name is absent, not when it is present but unusable.
    std::optional<bool> ReadBool(const SettingName& name) const;         // REG_DWORD, not 0 = true
    std::optional<std::int32_t> ReadInt(const SettingName& name) const;  // REG_DWORD
    std::optional<std::wstring> ReadString(const SettingName& name) const;  // REG_SZ / REG_EXPAND_SZ, unexpanded

    bool ReadBool(const SettingName& name, bool def) const { return ReadBool(name).value_or(def); }
    std::int32_t ReadInt(const SettingName& name, std::int32_t def) const { return ReadInt(name).value_or(def); }
    std::wstring ReadString(const SettingName& name, std::wstring_view def) const {
        auto v = ReadString(name);
        return v ? std::move(*v) : std::wstring(def);
    }

private:
    UniqueKey key_;
};

// Writes values under their current names, creating the key when missing. Only a key under
// HKEY_CURRENT_USER is ever opened for writing; any other root leaves the writer closed.
class SettingsWriter {
public:
    explicit SettingsWriter(HKEY root = HKEY_CURRENT_USER, std::wstring_view path = kSettingsKeyPath);

    bool IsOpen() const noexcept { return static_cast<bool>(key_); }

    // Each returns false when nothing was written (key not open, registry error, text too long).
    bool WriteBool(const SettingName& name, bool value);           // REG_DWORD 0 or 1
    bool WriteInt(const SettingName& name, std::int32_t value);    // REG_DWORD
    bool WriteString(const SettingName& name, std::wstring_view value);  // REG_SZ
    bool Delete(const SettingName& name);  // true also when it was not there

private:
    UniqueKey key_;
};

// All values at once, each read or written in kSettingsTable's order; absent or unusable values
// keep their defaults. SaveAppSettings returns true when every value was written.
AppSettings LoadAppSettings(HKEY root = HKEY_CURRENT_USER, std::wstring_view path = kSettingsKeyPath);
bool SaveAppSettings(const AppSettings& s, HKEY root = HKEY_CURRENT_USER, std::wstring_view path = kSettingsKeyPath);

// Writes (enabled) or deletes the logon start entry of exePath in HKCU's Run key, creating the key
// when missing. Writing overwrites an earlier entry, so the stored path follows the executable.
// Deleting an entry that is not there succeeds. Returns false when the registry refused.
bool SetRunEntry(bool enabled, std::wstring_view exePath);
// The same for the running executable.
bool SetRunEntry(bool enabled);
// Deletes the entry named after the executable only when it starts that very file: another copy
// of the program (run from elsewhere) may own an entry of the same name. True when no such entry is left.
bool RemoveRunEntryOf(std::wstring_view exePath);

}  // namespace quorlin
