// The nodes of the CMOS setting tree (groups, settings, choices) and their three lists.
#pragma once

#include "engine/core/list_protocol.h"
#include "engine/core/map_sections.h"
#include "engine/core/persistent_object.h"
#include "engine/core/record_io.h"
#include "engine/include/cvkserver.h"
#include "platform/com/bstr.h"

#include <cstdint>

namespace cvk {

class GroupNode;

// Members without interface slots that every tree object has: the flags and the record plumbing.
struct CmosRecord {
    // Version 1.0 and the property block version.
    static HRESULT WriteStart(RecordWriter& out);
    // E_FAIL for a version above 1.0 (or not a number) or a block version above 0x300.
    static HRESULT ReadStart(RecordReader& in);
};

// Marker interfaces by which each node class recognises its own objects (ImplementationOf).
struct IChoiceNodeImpl : IUnknown {
    static constexpr IID iid{
        0x282863D7, 0x25ED, 0x47D7, {0xBF, 0x48, 0xDB, 0x6B, 0xDB, 0xB7, 0x7C, 0x72}};

protected:
    ~IChoiceNodeImpl() = default;
};
struct ISettingNodeImpl : IUnknown {
    static constexpr IID iid{
        0xDA119285, 0x550A, 0x48D2, {0xA1, 0x2E, 0x67, 0x5A, 0x22, 0x50, 0x6D, 0x3E}};

protected:
    ~ISettingNodeImpl() = default;
};
struct IGroupNodeImpl : IUnknown {
    static constexpr IID iid{
        0x778C96AA, 0xF9C1, 0x4CA3, {0x8E, 0x3D, 0xE5, 0xDE, 0x95, 0x7F, 0x17, 0xDD}};

protected:
    ~IGroupNodeImpl() = default;
};

// The lists of the tree: the list protocol, gated by `Valid`, and the list record (version,
// property block, element count, the elements' records). `Element` provides
// `HRESULT SaveRecord(RecordWriter&, IStream*, BOOL)`, `HRESULT LoadRecord(RecordReader&,
// IStream*, int depth)`, `bool Changed() const` and `void Initialize()`.
template <class Derived, class ListInterface, class ElementInterface, class Element>
class CmosList : public PersistentObject<Derived, ListInterface> {
public:
    HRESULT GetFirst(ElementInterface** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return valid_ ? items_.GetFirst(out) : E_FAIL;
    }
    HRESULT GetNext(ElementInterface** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return valid_ ? items_.GetNext(out) : E_FAIL;
    }
    HRESULT get_Count(LONG* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return valid_ ? items_.Count(count) : E_FAIL;
    }
    HRESULT get_EOL(VARIANT_BOOL* eol) override {
        if (!eol)
            return E_POINTER;
        *eol = VARIANT_TRUE;
        return valid_ ? items_.Eol(eol) : E_FAIL;
    }
    HRESULT get_Valid(VARIANT_BOOL* valid) override {
        if (!valid)
            return E_POINTER;
        *valid = valid_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT Append(ElementInterface* element) override {
        if (!element)
            return E_POINTER;
        if (!valid_)
            return E_FAIL;
        ComPtr<Element> impl = ImplementationOf<Element>(element);
        if (!impl)
            return E_NOINTERFACE;
        Add(std::move(impl));
        return S_OK;
    }
    HRESULT PopBack() override {
        items_.PopBack();
        requiresSave_ = true;
        return S_OK;
    }

    // Internal: appends and marks the list changed.
    void Add(ComPtr<Element> element) {
        items_.Append(std::move(element));
        requiresSave_ = true;
    }
    const ListProtocol<Element>& Items() const { return items_; }
    std::size_t Size() const { return items_.Size(); }
    Element& At(std::size_t index) const { return items_.At(index); }
    void RemoveAll() {
        items_.Clear();
        requiresSave_ = true;
    }

    bool Changed() const {
        if (requiresSave_)
            return true;
        for (const ComPtr<Element>& element : items_)
            if (element->Changed())
                return true;
        return false;
    }

    HRESULT Load(IStream* stream) override {
        if (!stream)
            return E_POINTER;
        RecordReader in(stream);
        return LoadRecord(in, stream, 0);
    }
    HRESULT Save(IStream* stream, BOOL clearDirty) override {
        if (!stream)
            return E_POINTER;
        RecordWriter out(stream);
        return SaveRecord(out, stream, clearDirty);
    }

    HRESULT SaveRecord(RecordWriter& out, IStream* stream, BOOL clearDirty) {
        CVK_RETURN_IF_FAILED(CmosRecord::WriteStart(out));
        CVK_RETURN_IF_FAILED(out.Bool(requiresSave_ ? VARIANT_TRUE : VARIANT_FALSE));
        CVK_RETURN_IF_FAILED(out.Bool(valid_ ? VARIANT_TRUE : VARIANT_FALSE));
        if (clearDirty)
            requiresSave_ = false;
        CVK_RETURN_IF_FAILED(out.U32(static_cast<std::uint32_t>(items_.Size())));
        for (const ComPtr<Element>& element : items_)
            CVK_RETURN_IF_FAILED(element->SaveRecord(out, stream, clearDirty));
        return S_OK;
    }

    HRESULT LoadRecord(RecordReader& in, IStream* stream, int depth) {
        CVK_RETURN_IF_FAILED(CmosRecord::ReadStart(in));
        VARIANT_BOOL requiresSave = VARIANT_FALSE, valid = VARIANT_FALSE;
        CVK_RETURN_IF_FAILED(in.Bool(&requiresSave));
        CVK_RETURN_IF_FAILED(in.Bool(&valid));
        valid_ = valid != VARIANT_FALSE;
        std::uint32_t count = 0;
        CVK_RETURN_IF_FAILED(in.U32(&count));
        items_.Clear();
        // The count is not trusted for any allocation: each element must load from the stream,
        // which ends long before a hostile count does.
        for (std::uint32_t i = 0; i < count; ++i) {
            auto element = MakeObject<Element>();
            element->Initialize();
            CVK_RETURN_IF_FAILED(element->LoadRecord(in, stream, depth));
            items_.Append(std::move(element));
        }
        requiresSave_ = false;
        return S_OK;
    }

    bool IsValid() const { return valid_; }

protected:
    ListProtocol<Element> items_;
    bool valid_ = true;
    bool requiresSave_ = true;
};

class ChoiceNode : public PersistentObject<ChoiceNode, IChoiceNode, IChoiceNodeImpl> {
public:
    using Marker = IChoiceNodeImpl;
    static constexpr CLSID clsid = CLSID_ChoiceNode;

    // IChoiceNode
    HRESULT get_Name(BSTR* name) override;
    HRESULT put_Name(BSTR name) override;
    HRESULT get_Default(VARIANT_BOOL* isDefault) override;
    HRESULT get_Current(VARIANT_BOOL* current) override;
    HRESULT put_Current(VARIANT_BOOL current) override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;
    HRESULT get_CmosValue(SHORT* value) override;
    HRESULT put_CmosValue(SHORT value) override;

    // Internal
    void Initialize();
    HRESULT SetDefault(bool isDefault);
    void SetName(Bstr name);
    const Bstr& Name() const { return name_; }
    SHORT Value() const { return value_; }
    bool IsCurrent() const { return current_; }
    bool IsDefault() const { return default_; }
    bool Changed() const { return requiresSave_; }

    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT SaveRecord(RecordWriter& out, IStream* stream, BOOL clearDirty);
    HRESULT LoadRecord(RecordReader& in, IStream* stream, int depth);

private:
    Bstr name_;
    SHORT value_ = 0;
    bool default_ = false;
    bool current_ = false;
    bool valid_ = false;
    bool requiresSave_ = true;
};

class ChoiceList : public CmosList<ChoiceList, IChoiceList, IChoiceNode, ChoiceNode> {
public:
    static constexpr CLSID clsid = CLSID_ChoiceList;
    HRESULT put_Valid(VARIANT_BOOL valid) override {
        valid_ = valid != VARIANT_FALSE;
        return S_OK;
    }
    void Initialize() {}
};

class SettingNode : public PersistentObject<SettingNode, ISettingNode, ISettingNodeImpl> {
public:
    using Marker = ISettingNodeImpl;
    static constexpr CLSID clsid = CLSID_SettingNode;

    // ISettingNode
    HRESULT get_Name(BSTR* name) override;
    HRESULT put_Name(BSTR name) override;
    HRESULT get_ChoiceList(IChoiceList** list) override;
    HRESULT get_DefaultChoice(IChoiceNode** choice) override;
    HRESULT get_CurrentChoice(IChoiceNode** choice) override;
    HRESULT put_CurrentChoice(IChoiceNode* choice) override;
    HRESULT get_HasChoices(VARIANT_BOOL* hasChoices) override;
    HRESULT get_Advanced(VARIANT_BOOL* advanced) override;
    HRESULT get_Hidden(VARIANT_BOOL* hidden) override;
    HRESULT put_Hidden(VARIANT_BOOL hidden) override;
    HRESULT get_Locked(VARIANT_BOOL* locked) override;
    HRESULT put_Locked(VARIANT_BOOL locked) override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;
    HRESULT get_BiosKeyword(BSTR* keyword) override;
    HRESULT put_BiosKeyword(BSTR keyword) override;
    HRESULT RestoreHalvexDefaultChoice() override;
    HRESULT get_HelpString(BSTR* help) override;
    HRESULT put_HelpString(BSTR help) override;
    HRESULT get_NeedsReview(VARIANT_BOOL* needsReview) override;
    HRESULT put_NeedsReview(VARIANT_BOOL needsReview) override;
    HRESULT get_CmosTokenID(LONG* tokenId) override;
    HRESULT get_Attributes(LONG* attributes) override;
    HRESULT get_BitOffset(LONG* bitOffset) override;
    HRESULT get_BitMask(LONG* bitMask) override;
    HRESULT get_BitSize(LONG* bitSize) override;
    HRESULT get_DefaultValue(LONG* defaultValue) override;

    // Internal
    void Initialize();
    void SetToken(std::uint16_t tokenId, std::uint32_t attributes, std::uint16_t bitOffset,
                  std::uint16_t bitMask, std::uint16_t bitSize, std::uint16_t defaultValue);
    void ClearPlace(); // BitOffset, BitMask and BitSize 0: no place in the CMOS image
    void SetAdvanced(bool advanced);
    void SetName(Bstr name);
    void SetHelp(Bstr help);
    void SetKeyword(Bstr keyword);
    void AppendChoice(ComPtr<ChoiceNode> choice);
    void RemoveChoices();
    // Selects, like putting CurrentChoice, every choice equal in value and name to `choice`.
    HRESULT SelectChoice(const ChoiceNode& choice);
    void SetLockHide(bool locked, bool hidden);

    const Bstr& Name() const { return name_; }
    const Bstr& Keyword() const { return keyword_; }
    const ChoiceList& Choices() const { return *choices_; }
    // The first current / default choice, or null.
    ChoiceNode* Current() const;
    ChoiceNode* Default() const;
    bool Locked() const { return locked_; }
    bool Hidden() const { return hidden_; }
    bool NeedsReview() const { return needsReview_; }
    void SetNeedsReview(bool needsReview) { needsReview_ = needsReview; }
    std::uint16_t TokenId() const { return tokenId_; }
    std::uint16_t BitOffset() const { return bitOffset_; }
    std::uint16_t BitMask() const { return bitMask_; }
    std::uint16_t DefaultValue() const { return defaultValue_; }
    bool Changed() const { return requiresSave_ || (choices_ && choices_->Changed()); }

    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT SaveRecord(RecordWriter& out, IStream* stream, BOOL clearDirty);
    HRESULT LoadRecord(RecordReader& in, IStream* stream, int depth);

private:
    void ForgetEmptyKeyword();
    Bstr keyword_;
    Bstr name_;
    Bstr help_;
    ComPtr<ChoiceList> choices_;
    std::uint32_t attributes_ = 0;
    std::uint16_t tokenId_ = 0;
    std::uint16_t bitOffset_ = 0;
    std::uint16_t bitMask_ = 0;
    std::uint16_t bitSize_ = 0;
    std::uint16_t defaultValue_ = 0;
    bool valid_ = false;
    bool requiresSave_ = true;
    bool hidden_ = false;
    bool locked_ = false;
    bool advanced_ = false;
    bool needsReview_ = false;
};

class SettingList : public CmosList<SettingList, ISettingList, ISettingNode, SettingNode> {
public:
    static constexpr CLSID clsid = CLSID_SettingList;
    void Initialize() {}
};

class GroupList : public CmosList<GroupList, IGroupList, IGroupNode, GroupNode> {
public:
    static constexpr CLSID clsid = CLSID_GroupList;
    void Initialize() {}
};

class GroupNode : public PersistentObject<GroupNode, IGroupNode, IGroupNodeImpl> {
public:
    using Marker = IGroupNodeImpl;
    static constexpr CLSID clsid = CLSID_GroupNode;

    // IGroupNode
    HRESULT get_Name(BSTR* name) override;
    HRESULT put_Name(BSTR name) override;
    HRESULT get_HasSettings(VARIANT_BOOL* hasSettings) override;
    HRESULT get_HasChildren(VARIANT_BOOL* hasChildren) override;
    HRESULT get_SettingList(ISettingList** list) override;
    HRESULT get_ChildList(IGroupList** list) override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;

    // Internal
    void Initialize();
    void SetName(Bstr name);
    void AppendChild(ComPtr<GroupNode> group);
    void AppendSetting(ComPtr<SettingNode> setting);
    const Bstr& Name() const { return name_; }
    const GroupList& Children() const { return *children_; }
    const SettingList& Settings() const { return *settings_; }
    bool Changed() const;

    // Calls `visit(setting)` on every setting below this group: child groups first, in list
    // order and depth first, then the group's own settings. Stops at the first failure.
    template <class Visit> HRESULT ForEachSetting(Visit&& visit) const;

    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT SaveRecord(RecordWriter& out, IStream* stream, BOOL clearDirty);
    HRESULT LoadRecord(RecordReader& in, IStream* stream, int depth);

private:
    Bstr name_;
    ComPtr<GroupList> children_;
    ComPtr<SettingList> settings_;
    bool valid_ = false;
    bool requiresSave_ = true;
};

template <class Visit> HRESULT GroupNode::ForEachSetting(Visit&& visit) const {
    if (children_)
        for (const ComPtr<GroupNode>& child : children_->Items())
            CVK_RETURN_IF_FAILED(child->ForEachSetting(visit));
    if (settings_)
        for (const ComPtr<SettingNode>& setting : settings_->Items())
            CVK_RETURN_IF_FAILED(visit(*setting));
    return S_OK;
}

} // namespace cvk
