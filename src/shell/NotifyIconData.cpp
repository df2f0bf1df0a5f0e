#include "shell/NotifyIconData.h"

#include <algorithm>
#include <cstring>

namespace quorlin {

namespace {

constexpr std::size_t kTipOffset = 24;
constexpr std::size_t kOldTipChars = 64;
constexpr std::size_t kTipChars = 128;
constexpr std::size_t kInfoChars = 256;
constexpr std::size_t kInfoTitleChars = 64;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::size_t NotifyIconDataSize(std::uint32_t shellVersion, CharForm form) {
    const bool wide = form == CharForm::Wide;
    if (shellVersion < kShellVersion4) return 0;
    if (shellVersion < kShellVersion5) return wide ? 152 : 88;
    if (shellVersion < kShellVersion6) return wide ? 936 : 488;
    return wide ? 952 : 504;
}

NotifyIconData::NotifyIconData(std::uint32_t shellVersion, CharForm form)
    : form_(form), bytes_(NotifyIconDataSize(shellVersion, form), 0) {
    if (Valid()) Put32(0, static_cast<std::uint32_t>(bytes_.size()));
}

bool NotifyIconData::HasInfo() const { return Size() > NotifyIconDataSize(kShellVersion4, form_); }

void NotifyIconData::Put32(std::size_t offset, std::uint32_t value) {
    if (offset + 4 > bytes_.size()) return;
    // The record is little-endian whatever the host is.
    for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void NotifyIconData::PutWide(Field field, std::u16string_view text) {
    if (form_ != CharForm::Wide || field.chars == 0) return;
    std::size_t n = std::min(text.size(), field.chars - 1);
    // Never leave half of a surrogate pair at the end of the cut.
    if (n < text.size() && n > 0 && IsHighSurrogate(text[n - 1])) --n;
    std::uint8_t* out = bytes_.data() + field.offset;
    for (std::size_t i = 0; i < n; ++i) {
        out[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        out[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
    out[2 * n] = out[2 * n + 1] = 0;
}

void NotifyIconData::PutAnsi(Field field, std::string_view text) {
    if (form_ != CharForm::Ansi || field.chars == 0) return;
    const std::size_t n = std::min(text.size(), field.chars - 1);
    std::uint8_t* out = bytes_.data() + field.offset;
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

NotifyIconData::Field NotifyIconData::TipField() const {
    if (!Valid()) return {0, 0};
    return {kTipOffset, HasInfo() ? kTipChars : kOldTipChars};
}

NotifyIconData::Field NotifyIconData::InfoField() const {
    if (!HasInfo()) return {0, 0};
    // After szTip[128], dwState and dwStateMask.
    const std::size_t charSize = form_ == CharForm::Wide ? 2 : 1;
    return {kTipOffset + kTipChars * charSize + 8, kInfoChars};
}

std::size_t NotifyIconData::TimeoutOffset() const {
    const std::size_t charSize = form_ == CharForm::Wide ? 2 : 1;
    return InfoField().offset + kInfoChars * charSize;
}

NotifyIconData::Field NotifyIconData::InfoTitleField() const {
    if (!HasInfo()) return {0, 0};
    return {TimeoutOffset() + 4, kInfoTitleChars};
}

std::size_t NotifyIconData::InfoFlagsOffset() const {
    const std::size_t charSize = form_ == CharForm::Wide ? 2 : 1;
    return InfoTitleField().offset + kInfoTitleChars * charSize;
}

void NotifyIconData::SetTip(std::u16string_view text) { PutWide(TipField(), text); }
void NotifyIconData::SetTip(std::string_view text) { PutAnsi(TipField(), text); }
void NotifyIconData::SetInfo(std::u16string_view text) { PutWide(InfoField(), text); }
void NotifyIconData::SetInfo(std::string_view text) { PutAnsi(InfoField(), text); }
void NotifyIconData::SetInfoTitle(std::u16string_view text) { PutWide(InfoTitleField(), text); }
void NotifyIconData::SetInfoTitle(std::string_view text) { PutAnsi(InfoTitleField(), text); }

void NotifyIconData::SetTimeout(std::uint32_t ms) {
    if (HasInfo()) Put32(TimeoutOffset(), ms);
}

void NotifyIconData::SetInfoFlags(std::uint32_t flags) {
    if (HasInfo()) Put32(InfoFlagsOffset(), flags);
}

}  // namespace quorlin
