// Splits a fuzzer's bytes into the typed inputs of one call. Running out of bytes gives zeros and
// empty texts, so every input is usable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}

    template <typename T>
    T Number() {
        T value{};
        const std::size_t n = std::min(sizeof value, Left());
        std::memcpy(&value, p_, n);
        p_ += n;
        return value;
    }
    bool Flag() { return Number<std::uint8_t>() & 1; }
    // Bytes up to the next 0xFF (or the end), so texts of any length come out of the same input.
    std::string Text() {
        std::string s;
        while (p_ < end_ && *p_ != 0xFF) s += static_cast<char>(*p_++);
        if (p_ < end_) ++p_;
        return s;
    }
    // One character per byte pair, for the wide texts.
    template <typename String>
    String WideText() {
        const std::string bytes = Text();
        String s;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            s += static_cast<typename String::value_type>(static_cast<std::uint8_t>(bytes[i]) |
                                                          static_cast<std::uint8_t>(bytes[i + 1]) << 8);
        return s;
    }

private:
    std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

// A property that must hold; a violation aborts, which the fuzzer reports with the input.
#define FUZZ_CHECK(condition) \
    do {                      \
        if (!(condition)) __builtin_trap(); \
    } while (0)
