// Decimal texts of integers without the C library's printf family: in the statically linked
// program, std::to_wstring, snprintf and swprintf each pull in MinGW's whole formatter (with its
// floating-point conversion, about 40 KiB) for a few numbers.
#pragma once
#include <string>

namespace quorlin {

// The digits of value, at least minDigits of them (zeros in front), a "-" before a negative one.
template <class String = std::string>
String DecimalText(long long value, int minDigits = 1) {
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    typename String::value_type digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<typename String::value_type>('0' + magnitude % 10);
        magnitude /= 10;
    } while ((magnitude != 0 || n < minDigits) && n < 24);
    String text;
    if (value < 0) text += static_cast<typename String::value_type>('-');
    while (n > 0) text += digits[--n];
    return text;
}

inline std::wstring DecimalTextW(long long value, int minDigits = 1) {
    return DecimalText<std::wstring>(value, minDigits);
}

}  // namespace quorlin
