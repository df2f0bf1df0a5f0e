// Owns one reference to a COM object: move-only, released on reset or destruction, so the owner
// decides the order in which objects go.
#pragma once
#include <unknwn.h>

#include <utility>

namespace quorlin {

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    void reset() noexcept {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    // For out-parameters of creation calls: releases what is held and hands out the slot.
    void** put_void() noexcept {
        reset();
        return reinterpret_cast<void**>(&p_);
    }

private:
    T* p_ = nullptr;
};

}  // namespace quorlin
