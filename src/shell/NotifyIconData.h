// The shell's notification-area record built as plain bytes, for every shell version and both
// character forms, so the layout can be checked without the system headers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quorlin {

// Balloon kinds; the ordinal goes unchanged into dwInfoFlags.
enum class TTrayIconInfoType : std::uint8_t { tiiNone = 0, tiiInfo = 1, tiiWarning = 2, tiiError = 3, tiiUser = 4 };

// Shell versions as major << 16 | minor.
inline constexpr std::uint32_t kShellVersion4 = 0x40000;
inline constexpr std::uint32_t kShellVersion5 = 0x50000;
inline constexpr std::uint32_t kShellVersion6 = 0x60000;

inline constexpr std::uint32_t kNifMessage = 0x1;
inline constexpr std::uint32_t kNifIcon = 0x2;
inline constexpr std::uint32_t kNifTip = 0x4;
inline constexpr std::uint32_t kNifInfo = 0x10;
inline constexpr std::uint32_t kNiifNoSound = 0x10;

enum class CharForm { Wide, Ansi };

// Record size for a shell version and character form; 0 when the shell is older than 4.0.
std::size_t NotifyIconDataSize(std::uint32_t shellVersion, CharForm form);

// One zero-filled record with cbSize set. Handles are 32-bit values (the program is 32-bit).
// Texts are cut to one character less than their field, so every field ends with a zero.
// Wide texts go only into a wide record and ANSI texts only into an ANSI one; a text of the
// other form is ignored.
class NotifyIconData {
public:
    // Empty record (Size() 0, Valid() false) when the shell is older than 4.0.
    NotifyIconData(std::uint32_t shellVersion, CharForm form);

    bool Valid() const { return !bytes_.empty(); }
    std::size_t Size() const { return bytes_.size(); }
    const std::uint8_t* Data() const { return bytes_.data(); }
    std::uint8_t* Data() { return bytes_.data(); }
    CharForm Form() const { return form_; }
    // True when the record has the balloon fields (shell 5.0 and later).
    bool HasInfo() const;

    void SetWindow(std::uint32_t hwnd) { Put32(4, hwnd); }
    void SetId(std::uint32_t id) { Put32(8, id); }
    void SetFlags(std::uint32_t flags) { Put32(12, flags); }
    void SetCallbackMessage(std::uint32_t message) { Put32(16, message); }
    void SetIcon(std::uint32_t hicon) { Put32(20, hicon); }

    // Tip: 63 characters in a record before shell 5.0, 127 otherwise.
    void SetTip(std::u16string_view text);
    void SetTip(std::string_view text);
    // Balloon fields; ignored in a record without them.
    void SetInfo(std::u16string_view text);  // 255 characters
    void SetInfo(std::string_view text);
    void SetInfoTitle(std::u16string_view text);  // 63 characters
    void SetInfoTitle(std::string_view text);
    void SetTimeout(std::uint32_t ms);
    void SetInfoFlags(std::uint32_t flags);

private:
    struct Field {
        std::size_t offset;
        std::size_t chars;
    };
    void Put32(std::size_t offset, std::uint32_t value);
    void PutWide(Field field, std::u16string_view text);
    void PutAnsi(Field field, std::string_view text);
    Field TipField() const;
    Field InfoField() const;
    Field InfoTitleField() const;
    std::size_t TimeoutOffset() const;
    std::size_t InfoFlagsOffset() const;

    CharForm form_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace quorlin
