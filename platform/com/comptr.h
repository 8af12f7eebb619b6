// cvk::ComPtr: an owning interface pointer that releases what it holds.
#pragma once

#include "platform/com/unknown.h"

#include <cstddef>
#include <type_traits>
#include <utility>

namespace cvk {

template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Shares the caller's pointer: adds a reference (use attach() to take one over).
    explicit ComPtr(T* p) : p_(p) { AddRefHeld(); }
    ComPtr(const ComPtr& other) : p_(other.p_) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) : p_(other.get()) {
        AddRefHeld();
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(ComPtr<U>&& other) noexcept : p_(other.detach()) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // For out-parameters: releases what is held first, so that a reused pointer never leaks.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    // Takes over a reference the caller already owns: no AddRef.
    void attach(T* p) {
        reset();
        p_ = p;
    }
    // Hands the reference to the caller: no Release.
    T* detach() { return std::exchange(p_, nullptr); }
    void reset() {
        if (T* old = std::exchange(p_, nullptr))
            old->Release();
    }
    void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    // Gives the caller a new reference, as an interface getter does for its out-parameter.
    HRESULT CopyTo(T** out) const {
        if (!out)
            return E_POINTER;
        *out = p_;
        AddRefHeld();
        return S_OK;
    }

    // QueryInterface for U, by U's identifier; `out` is released first.
    template <class U> HRESULT As(ComPtr<U>* out) const {
        if (!out)
            return E_POINTER;
        if (!p_) {
            out->reset();
            return E_POINTER;
        }
        return p_->QueryInterface(U::iid, out->put_void());
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

private:
    void AddRefHeld() const {
        if (p_)
            p_->AddRef();
    }

    T* p_ = nullptr;
};

// Wraps a reference the caller owns, e.g. one returned through an out-parameter.
template <class T> ComPtr<T> Attach(T* p) {
    ComPtr<T> held;
    held.attach(p);
    return held;
}

} // namespace cvk
