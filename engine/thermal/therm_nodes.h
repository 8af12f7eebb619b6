// The nodes of the thermal tree (groups, settings, choices) and their three lists.
#pragma once

#include "engine/core/list_protocol.h"
#include "engine/core/persistent_object.h"
#include "engine/core/record_io.h"
#include "engine/include/cvkserver.h"
#include "engine/thermal/therm_record.h"
#include "platform/com/bstr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/variant.h"

#include <cstddef>
#include <cstdint>

namespace cvk {

// The sources named in the error info of the thermal objects.
inline constexpr char16_t kThermGroupSource[] = u"CvkServer.CoThermGroup.1";
inline constexpr char16_t kThermSettingSource[] = u"CvkServer.CoThermSetting.1";
inline constexpr char16_t kThermChoiceSource[] = u"CvkServer.CoThermChoice.1";
inline constexpr char16_t kThermListSource[] = u"CvkServer.CoThermList.1";

// Marker interfaces by which each node class recognises its own objects (ImplementationOf).
struct IThermChoiceImpl : IUnknown {
    static constexpr IID iid{
        0xE049872E, 0xD6A8, 0x4894, {0xA4, 0xF6, 0x29, 0xB2, 0x85, 0xE1, 0x18, 0x74}};

protected:
    ~IThermChoiceImpl() = default;
};
struct IThermSettingImpl : IUnknown {
    static constexpr IID iid{
        0x8EC1A56F, 0x39BE, 0x4409, {0xA4, 0x4F, 0xCE, 0x75, 0x48, 0x6D, 0xC1, 0xE7}};

protected:
    ~IThermSettingImpl() = default;
};
struct IThermGroupImpl : IUnknown {
    static constexpr IID iid{
        0x13078557, 0x32C8, 0x4FBC, {0x9B, 0x7A, 0xF0, 0x46, 0xC7, 0x1B, 0x44, 0xF7}};

protected:
    ~IThermGroupImpl() = default;
};

// Save and load of a whole record from a stream, for the nodes and lists of the tree, whose
// records are written by `SaveRecord(RecordWriter&, BOOL)` and read by
// `LoadRecord(RecordReader&, int depth)`.
template <class Node>
HRESULT SaveThermRecord(Node& node, std::u16string_view source, IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    RecordWriter out(stream);
    return Boundary(source, [&] { return node.SaveRecord(out, clearDirty); });
}

template <class Node>
HRESULT LoadThermRecord(Node& node, std::u16string_view source, IStream* stream) {
    if (!stream)
        return E_POINTER;
    RecordReader in(stream);
    return Boundary(source, [&] { return node.LoadRecord(in, 0); });
}

// The lists of the tree: the list protocol with the thermal error texts, duplicate refusal and
// the list record (version 1.0, element count, cursor position, the elements' records).
// `Element` provides `HRESULT SaveRecord(RecordWriter&, BOOL)`,
// `HRESULT LoadRecord(RecordReader&, int depth)` and `bool Changed() const`; `Derived` provides
// `static constexpr const char16_t* kDuplicateText`.
template <class Derived, class ListInterface, class ElementInterface, class Element>
class ThermList : public PersistentObject<Derived, ListInterface> {
public:
    HRESULT get_Count(LONG* count) override {
        if (!count)
            return InvalidPointer();
        return items_.Count(count);
    }
    HRESULT get_EOL(VARIANT_BOOL* eol) override {
        if (!eol)
            return InvalidPointer();
        return items_.Eol(eol);
    }
    HRESULT get_Valid(VARIANT_BOOL* valid) override {
        if (!valid)
            return InvalidPointer();
        *valid = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT Append(ElementInterface* element) override {
        if (!element)
            return InvalidPointer();
        ComPtr<Element> impl = ImplementationOf<Element>(element);
        if (!impl)
            return ReportError(kThermListSource, u"An invalid pointer has been provided",
                               E_NOINTERFACE);
        return Add(std::move(impl));
    }
    HRESULT GetFirst(ElementInterface** out) override {
        if (!out)
            return InvalidPointer();
        cursor_ = 0;
        return items_.GetFirst(out);
    }
    HRESULT GetNext(ElementInterface** out) override {
        if (!out)
            return InvalidPointer();
        *out = nullptr;
        if (cursor_ >= items_.Size())
            return ReportError(kThermListSource, u"The end of the list has already been reached.",
                               E_FAIL);
        ++cursor_;
        return items_.GetNext(out);
    }

    // Internal: appends unless the same object is already held; marks the list changed.
    HRESULT Add(ComPtr<Element> element) {
        for (const ComPtr<Element>& held : items_)
            if (held.get() == element.get())
                return ReportError(kThermListSource, Derived::kDuplicateText, E_FAIL);
        items_.Append(std::move(element));
        changed_ = true;
        return S_OK;
    }
    std::size_t Size() const { return items_.Size(); }
    Element& At(std::size_t index) const { return items_.At(index); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    bool Changed() const {
        if (changed_)
            return true;
        for (const ComPtr<Element>& element : items_)
            if (element->Changed())
                return true;
        return false;
    }

    HRESULT Save(IStream* stream, BOOL clearDirty) override {
        return SaveThermRecord(*this, kThermListSource, stream, clearDirty);
    }
    HRESULT Load(IStream* stream) override {
        return LoadThermRecord(*this, kThermListSource, stream);
    }

    HRESULT SaveRecord(RecordWriter& out, BOOL clearDirty) {
        CVK_RETURN_IF_FAILED(out.Float(1.0f));
        CVK_RETURN_IF_FAILED(out.U32(static_cast<std::uint32_t>(items_.Size())));
        CVK_RETURN_IF_FAILED(out.U32(static_cast<std::uint32_t>(cursor_)));
        for (const ComPtr<Element>& element : items_)
            CVK_RETURN_IF_FAILED(element->SaveRecord(out, clearDirty));
        if (clearDirty)
            changed_ = false;
        return S_OK;
    }

    HRESULT LoadRecord(RecordReader& in, int depth) {
        CVK_RETURN_IF_FAILED(ReadRecordVersion(in, 1.0f));
        std::uint32_t count = 0, cursor = 0;
        CVK_RETURN_IF_FAILED(in.U32(&count));
        CVK_RETURN_IF_FAILED(in.U32(&cursor));
        if (cursor > count)
            return E_FAIL;
        // The count is not trusted for any allocation: each element must load from the stream,
        // which ends long before a hostile count does.
        ListProtocol<Element> loaded;
        for (std::uint32_t i = 0; i < count; ++i) {
            auto element = MakeObject<Element>();
            CVK_RETURN_IF_FAILED(element->LoadRecord(in, depth));
            loaded.Append(std::move(element));
        }
        items_ = std::move(loaded);
        // The cursor is set by walking the list, as the saved position was reached.
        ComPtr<ElementInterface> walked;
        items_.GetFirst(walked.put());
        for (cursor_ = 0; walked && cursor_ < cursor; ++cursor_)
            items_.GetNext(walked.put());
        changed_ = false;
        return S_OK;
    }

private:
    static HRESULT InvalidPointer() {
        return ReportError(kThermListSource, u"An invalid pointer has been provided", E_POINTER);
    }

    ListProtocol<Element> items_;
    // Mirrors the protocol's cursor, which the record stores.
    std::size_t cursor_ = 0;
    bool changed_ = false;
};

class CoThermChoice : public PersistentObject<CoThermChoice, IThermChoice, IThermChoiceImpl> {
public:
    using Marker = IThermChoiceImpl;
    static constexpr CLSID clsid = CLSID_CoThermChoice;

    // IThermChoice
    HRESULT get_Value(VARIANT* value) override;
    HRESULT get_tag(LONG* tag) override;

    // Internal
    void SetValue(Variant value);
    void SetTag(LONG tag) { tag_ = tag; }
    bool HasValue() const { return hasValue_; }
    const VARIANT& Value() const { return value_.get(); }
    LONG Tag() const { return tag_; }

    bool Changed() const { return changed_; }
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT Load(IStream* stream) override;
    HRESULT SaveRecord(RecordWriter& out, BOOL clearDirty);
    HRESULT LoadRecord(RecordReader& in, int depth);

private:
    Variant value_;
    bool hasValue_ = false;
    LONG tag_ = 0;
    bool changed_ = false;
};

class CoThermChoiceList
    : public ThermList<CoThermChoiceList, IThermChoiceList, IThermChoice, CoThermChoice> {
public:
    static constexpr CLSID clsid = CLSID_CoThermChoiceList;
    static constexpr const char16_t* kDuplicateText = u"A duplicate choice is already in the list.";
};

class CoThermSetting : public PersistentObject<CoThermSetting, IThermSetting, IThermSettingImpl> {
public:
    using Marker = IThermSettingImpl;
    static constexpr CLSID clsid = CLSID_CoThermSetting;

    CoThermSetting();
    ~CoThermSetting() override;

    // IThermSetting
    HRESULT get_Name(BSTR* name) override;
    HRESULT get_ValueMax(VARIANT* value) override;
    HRESULT get_ValueMin(VARIANT* value) override;
    HRESULT get_Value(VARIANT* value) override;
    HRESULT put_Value(VARIANT value) override;
    HRESULT get_tag(LONG* tag) override;
    HRESULT get_Description(BSTR* description) override;
    HRESULT GetChoices(IThermChoiceList** choices) override;
    HRESULT HasChoices(VARIANT_BOOL* hasChoices) override;
    HRESULT RestoreHalvexDefault() override;

    // Internal
    void SetName(Bstr name) { name_ = std::move(name); }
    void SetDescription(Bstr description) { description_ = std::move(description); }
    void SetTag(LONG tag) { tag_ = tag; }
    void SetValueMin(Variant value) { min_ = std::move(value); }
    void SetValueMax(Variant value) { max_ = std::move(value); }
    void AttachChoiceList(ComPtr<CoThermChoiceList> choices);
    void ReleaseChoiceList();
    // Validated like a put of Value; sets the default and the value.
    HRESULT SetDefault(const VARIANT& value);
    // The choice test or the range test; on success `accepted` is the value in the setting's
    // own type (the matching choice's type, or a 32-bit integer for a range).
    bool Accepts(const VARIANT& value, Variant* accepted) const;
    const Bstr& Name() const { return name_; }
    LONG Tag() const { return tag_; }
    const VARIANT& Value() const { return value_.get(); }
    const VARIANT& DefaultValue() const { return default_.get(); }
    CoThermChoiceList* Choices() const { return choices_.get(); }

    bool Changed() const;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT Load(IStream* stream) override;
    HRESULT SaveRecord(RecordWriter& out, BOOL clearDirty);
    HRESULT LoadRecord(RecordReader& in, int depth);

private:
    bool ChoiceTest(const VARIANT& value, Variant* accepted) const;
    bool RangeTest(const VARIANT& value, Variant* accepted) const;
    HRESULT WriteFields(RecordWriter& out, BOOL clearDirty);
    HRESULT ReadFields(RecordReader& in, int depth);

    Bstr name_;
    Bstr description_;
    LONG tag_ = 0;
    Variant value_;
    Variant default_;
    Variant min_;
    Variant max_;
    ComPtr<CoThermChoiceList> choices_;
    bool changed_ = false;
};

class CoThermSettingList
    : public ThermList<CoThermSettingList, IThermSettingList, IThermSetting, CoThermSetting> {
public:
    static constexpr CLSID clsid = CLSID_CoThermSettingList;
    static constexpr const char16_t* kDuplicateText =
        u"A duplicate setting is already in the list.";
};

class CoThermGroupList;

class CoThermGroup : public PersistentObject<CoThermGroup, IThermGroup, IThermGroupImpl> {
public:
    using Marker = IThermGroupImpl;
    static constexpr CLSID clsid = CLSID_CoThermGroup;

    CoThermGroup();
    ~CoThermGroup() override;

    // IThermGroup
    HRESULT get_Name(BSTR* name) override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;
    HRESULT get_ChildList(IThermGroupList** list) override;
    HRESULT get_SettingList(IThermSettingList** list) override;
    HRESULT get_HasChildren(VARIANT_BOOL* hasChildren) override;
    HRESULT get_HasSettings(VARIANT_BOOL* hasSettings) override;
    HRESULT get_tag(LONG* tag) override;
    HRESULT RestoreHalvexDefaults() override;

    // Internal
    void SetName(Bstr name);
    void SetTag(LONG tag) { tag_ = tag; }
    void AttachChildList(ComPtr<CoThermGroupList> children);
    void AttachSettingList(ComPtr<CoThermSettingList> settings);
    const Bstr& Name() const { return name_; }
    LONG Tag() const { return tag_; }
    CoThermGroupList* Children() const { return children_.get(); }
    CoThermSettingList* Settings() const { return settings_.get(); }

    bool Changed() const;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT Load(IStream* stream) override;
    HRESULT SaveRecord(RecordWriter& out, BOOL clearDirty);
    HRESULT LoadRecord(RecordReader& in, int depth);

private:
    Bstr name_;
    LONG tag_ = 0;
    ComPtr<CoThermGroupList> children_;
    ComPtr<CoThermSettingList> settings_;
    bool changed_ = false;
};

class CoThermGroupList
    : public ThermList<CoThermGroupList, IThermGroupList, IThermGroup, CoThermGroup> {
public:
    static constexpr CLSID clsid = CLSID_CoThermGroupList;
    static constexpr const char16_t* kDuplicateText = u"A duplicate group is already in the list.";
};

} // namespace cvk
