// The list protocol that every engine collection follows: ordered elements and one cursor.
#pragma once

#include "platform/com/comptr.h"
#include "platform/com/types.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace cvk {

// Holds one reference on each element, in insertion order, and the walking cursor. Each list
// class forwards its interface members here, in whatever slot order its interface has, and adds
// its own rules (validity, error texts) around them.
template <class Element> class ListProtocol {
public:
    // Puts the cursor on the first element and hands it out (null on an empty list).
    template <class I> HRESULT GetFirst(I** out) {
        if (!out)
            return E_POINTER;
        cursor_ = 0;
        return HandOut(out);
    }

    // E_FAIL once the cursor is past the end; else moves on and hands out the element there,
    // or null with success when the cursor has just passed the last element.
    template <class I> HRESULT GetNext(I** out) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (cursor_ >= elements_.size())
            return E_FAIL;
        ++cursor_;
        return HandOut(out);
    }

    HRESULT Count(LONG* out) const {
        if (!out)
            return E_POINTER;
        *out = static_cast<LONG>(elements_.size());
        return S_OK;
    }

    HRESULT Eol(VARIANT_BOOL* out) const {
        if (!out)
            return E_POINTER;
        *out = cursor_ >= elements_.size() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    // Neither moves the cursor.
    void Append(ComPtr<Element> element) { elements_.push_back(std::move(element)); }
    void PopBack() {
        if (!elements_.empty())
            elements_.pop_back();
    }
    void Clear() { elements_.clear(); }

    std::size_t Size() const { return elements_.size(); }
    bool Empty() const { return elements_.empty(); }
    Element& At(std::size_t index) const { return *elements_[index]; }
    auto begin() const { return elements_.begin(); }
    auto end() const { return elements_.end(); }

private:
    template <class I> HRESULT HandOut(I** out) {
        *out = nullptr;
        if (cursor_ < elements_.size()) {
            *out = static_cast<I*>(elements_[cursor_].get());
            (*out)->AddRef();
        }
        return S_OK;
    }

    std::vector<ComPtr<Element>> elements_;
    std::size_t cursor_ = 0;
};

// The engine's own object behind an interface pointer that a client hands back (for Append and
// the like), or null for an implementation that is not ours. `Impl::Marker` is an interface
// without members that only `Impl` answers, with `Impl` itself.
template <class Impl, class I> ComPtr<Impl> ImplementationOf(I* object) {
    ComPtr<Impl> impl;
    if (!object)
        return impl;
    void* marker = nullptr;
    if (FAILED(object->QueryInterface(Impl::Marker::iid, &marker)) || !marker)
        return impl;
    impl.attach(static_cast<Impl*>(static_cast<typename Impl::Marker*>(marker)));
    return impl;
}

} // namespace cvk
