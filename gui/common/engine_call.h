// Calls into the engine from the GUI: engine failures as exceptions, and text conversions.
#pragma once

#include "engine/include/cvkserver.h"
#include "platform/com/bstr.h"
#include "platform/com/comptr.h"
#include "platform/com/variant.h"

#include <QString>

#include <exception>

// An engine call that failed, carrying its status. Thrown inside a GUI operation and caught
// by that operation's guard, never across a Qt event handler.
class CEngineError : public std::exception {
public:
    explicit CEngineError(HRESULT hr) : hr_(hr) {}
    HRESULT status() const { return hr_; }
    const char* what() const noexcept override { return "engine call failed"; }

private:
    HRESULT hr_;
};

inline void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr))
        throw CEngineError(hr);
}

inline QString ToQString(const cvk::Bstr& text) {
    const std::u16string_view view = text.view();
    return QString::fromUtf16(view.data(), static_cast<qsizetype>(view.size()));
}

inline cvk::Bstr ToBstr(const QString& text) {
    return cvk::Bstr(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                         static_cast<std::size_t>(text.size())));
}

// Property getters that throw CEngineError on failure.
template <class T> QString GetText(T* object, HRESULT (T::*getter)(BSTR*)) {
    cvk::Bstr text;
    ThrowIfFailed((object->*getter)(text.put()));
    return ToQString(text);
}

template <class T> bool GetBool(T* object, HRESULT (T::*getter)(VARIANT_BOOL*)) {
    VARIANT_BOOL value = VARIANT_FALSE;
    ThrowIfFailed((object->*getter)(&value));
    return value != VARIANT_FALSE;
}

template <class T> LONG GetLong(T* object, HRESULT (T::*getter)(LONG*)) {
    LONG value = 0;
    ThrowIfFailed((object->*getter)(&value));
    return value;
}

template <class T, class U> cvk::ComPtr<U> GetObject(T* object, HRESULT (T::*getter)(U**)) {
    cvk::ComPtr<U> result;
    ThrowIfFailed((object->*getter)(result.put()));
    return result;
}

// A variant property as the platform's variant-to-text conversion shows it.
template <class T> QString GetVariantText(T* object, HRESULT (T::*getter)(VARIANT*)) {
    cvk::Variant value;
    ThrowIfFailed((object->*getter)(value.put()));
    std::u16string text;
    ThrowIfFailed(value.ToText(&text));
    return QString::fromStdU16String(text);
}

inline VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// The setting's current choice; null when it has none (its default matches none of its
// answers), which the engine answers with a failure that is no fault of the caller.
inline cvk::ComPtr<IChoiceNode> CurrentChoiceOf(ISettingNode* setting) {
    cvk::ComPtr<IChoiceNode> current;
    if (FAILED(setting->get_CurrentChoice(current.put())))
        current.reset();
    return current;
}

// Walks an engine list (GetFirst, then GetNext until EOL) and hands each element to `visit`.
template <class List, class Element, class Visit>
void ForEachInList(List* list, HRESULT (List::*first)(Element**), HRESULT (List::*next)(Element**),
                   Visit&& visit) {
    cvk::ComPtr<Element> element;
    ThrowIfFailed((list->*first)(element.put()));
    while (!GetBool(list, &List::get_EOL)) {
        if (element)
            visit(element);
        ThrowIfFailed((list->*next)(element.put()));
    }
}
