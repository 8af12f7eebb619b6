// The CMOS tree's nodes: their interface members, internal setters and records.
#include "engine/cmos/cmos_nodes.h"

#include "platform/com/errorinfo.h"

#include <cmath>

namespace cvk {
namespace {

constexpr float kRecordVersion = 1.0f;

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT GetBool(bool value, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = ToVariantBool(value);
    return S_OK;
}

HRESULT GetLong(LONG value, LONG* out) {
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

// A copy for a getter: a null string comes out empty.
HRESULT CopyOut(const Bstr& text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.is_null() ? u"" : text.get(), text.length());
    return *out ? S_OK : E_OUTOFMEMORY;
}

// A copy of a BSTR argument, keeping null as null; E_OUTOFMEMORY when it cannot be made.
HRESULT CopyIn(BSTR text, Bstr* out) {
    if (!text) {
        out->reset();
        return S_OK;
    }
    BSTR copy = SysAllocStringLen(text, SysStringLen(text));
    if (!copy)
        return E_OUTOFMEMORY;
    out->attach(copy);
    return S_OK;
}

HRESULT WriteFlag(RecordWriter& out, bool value) {
    return out.Bool(ToVariantBool(value));
}

HRESULT ReadFlag(RecordReader& in, bool* value) {
    VARIANT_BOOL raw = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(in.Bool(&raw));
    *value = raw != VARIANT_FALSE;
    return S_OK;
}

template <class Node> HRESULT LoadTop(Node& node, IStream* stream) {
    if (!stream)
        return E_POINTER;
    RecordReader in(stream);
    return Boundary(u"CvkServer.Cmos", [&] { return node.LoadRecord(in, stream, 0); });
}

template <class Node> HRESULT SaveTop(Node& node, IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    RecordWriter out(stream);
    return Boundary(u"CvkServer.Cmos", [&] { return node.SaveRecord(out, stream, clearDirty); });
}

} // namespace

HRESULT CmosRecord::WriteStart(RecordWriter& out) {
    CVK_RETURN_IF_FAILED(out.Float(kRecordVersion));
    return out.U32(kPropertyBlockVersion);
}

HRESULT CmosRecord::ReadStart(RecordReader& in) {
    float version = 0;
    CVK_RETURN_IF_FAILED(in.Float(&version));
    if (std::isnan(version) || version > kRecordVersion)
        return E_FAIL;
    std::uint32_t block = 0;
    CVK_RETURN_IF_FAILED(in.U32(&block));
    return block > kPropertyBlockVersion ? E_FAIL : S_OK;
}

// ---- ChoiceNode ----

void ChoiceNode::Initialize() {
    valid_ = true;
    requiresSave_ = true;
    default_ = false;
    current_ = false;
    value_ = 0;
}

HRESULT ChoiceNode::SetDefault(bool isDefault) {
    if (!valid_)
        return E_FAIL;
    default_ = isDefault;
    requiresSave_ = true;
    return S_OK;
}

void ChoiceNode::SetName(Bstr name) {
    name_ = std::move(name);
    requiresSave_ = true;
}

HRESULT ChoiceNode::get_Name(BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    return valid_ ? CopyOut(name_, name) : E_FAIL;
}

HRESULT ChoiceNode::put_Name(BSTR name) {
    CVK_RETURN_IF_FAILED(CopyIn(name, &name_));
    requiresSave_ = true;
    return S_OK;
}

HRESULT ChoiceNode::get_Default(VARIANT_BOOL* isDefault) {
    if (!isDefault)
        return E_POINTER;
    return valid_ ? GetBool(default_, isDefault) : E_FAIL;
}

HRESULT ChoiceNode::get_Current(VARIANT_BOOL* current) {
    if (!current)
        return E_POINTER;
    return valid_ ? GetBool(current_, current) : E_FAIL;
}

HRESULT ChoiceNode::put_Current(VARIANT_BOOL current) {
    if (!valid_)
        return E_FAIL;
    current_ = current != VARIANT_FALSE;
    requiresSave_ = true;
    return S_OK;
}

HRESULT ChoiceNode::get_Valid(VARIANT_BOOL* valid) {
    return GetBool(valid_, valid);
}

HRESULT ChoiceNode::get_CmosValue(SHORT* value) {
    if (!value)
        return E_POINTER;
    if (!valid_)
        return E_FAIL;
    *value = value_;
    return S_OK;
}

HRESULT ChoiceNode::put_CmosValue(SHORT value) {
    value_ = value;
    requiresSave_ = true;
    return S_OK;
}

HRESULT ChoiceNode::Load(IStream* stream) {
    return LoadTop(*this, stream);
}
HRESULT ChoiceNode::Save(IStream* stream, BOOL clearDirty) {
    return SaveTop(*this, stream, clearDirty);
}

HRESULT ChoiceNode::SaveRecord(RecordWriter& out, IStream*, BOOL clearDirty) {
    CVK_RETURN_IF_FAILED(CmosRecord::WriteStart(out));
    CVK_RETURN_IF_FAILED(WriteFlag(out, requiresSave_));
    CVK_RETURN_IF_FAILED(WriteFlag(out, valid_));
    CVK_RETURN_IF_FAILED(WriteFlag(out, current_));
    CVK_RETURN_IF_FAILED(WriteFlag(out, default_));
    CVK_RETURN_IF_FAILED(out.U16(static_cast<std::uint16_t>(value_)));
    if (clearDirty)
        requiresSave_ = false;
    return out.CountedString(name_);
}

HRESULT ChoiceNode::LoadRecord(RecordReader& in, IStream*, int) {
    CVK_RETURN_IF_FAILED(CmosRecord::ReadStart(in));
    bool ignored = false;
    CVK_RETURN_IF_FAILED(ReadFlag(in, &ignored));
    CVK_RETURN_IF_FAILED(ReadFlag(in, &valid_));
    CVK_RETURN_IF_FAILED(ReadFlag(in, &current_));
    CVK_RETURN_IF_FAILED(ReadFlag(in, &default_));
    std::uint16_t value = 0;
    CVK_RETURN_IF_FAILED(in.U16(&value));
    value_ = static_cast<SHORT>(value);
    requiresSave_ = false;
    return in.CountedString(&name_);
}

// ---- SettingNode ----

void SettingNode::Initialize() {
    valid_ = true;
    requiresSave_ = true;
    hidden_ = locked_ = advanced_ = needsReview_ = false;
    choices_ = MakeObject<ChoiceList>();
}

void SettingNode::SetToken(std::uint16_t tokenId, std::uint32_t attributes, std::uint16_t bitOffset,
                           std::uint16_t bitMask, std::uint16_t bitSize,
                           std::uint16_t defaultValue) {
    tokenId_ = tokenId;
    attributes_ = attributes;
    bitOffset_ = bitOffset;
    bitMask_ = bitMask;
    bitSize_ = bitSize;
    defaultValue_ = defaultValue;
    requiresSave_ = true;
}

void SettingNode::ClearPlace() {
    bitOffset_ = bitMask_ = bitSize_ = 0;
    requiresSave_ = true;
}

void SettingNode::SetAdvanced(bool advanced) {
    advanced_ = advanced;
    requiresSave_ = true;
}

void SettingNode::SetName(Bstr name) {
    name_ = std::move(name);
    requiresSave_ = true;
}

void SettingNode::SetHelp(Bstr help) {
    help_ = std::move(help);
    requiresSave_ = true;
}

void SettingNode::SetKeyword(Bstr keyword) {
    keyword_ = std::move(keyword);
    ForgetEmptyKeyword();
    requiresSave_ = true;
}

// An empty keyword is no keyword: it is held (and saved) as null, so that the search by keyword
// and the carry-over see one form only, whatever the map file or an older save held.
void SettingNode::ForgetEmptyKeyword() {
    if (!keyword_.is_null() && keyword_.empty())
        keyword_.reset();
}

void SettingNode::AppendChoice(ComPtr<ChoiceNode> choice) {
    choices_->Add(std::move(choice));
    requiresSave_ = true;
}

void SettingNode::RemoveChoices() {
    // From the end until the list is empty, as PopBack would.
    while (choices_->Size() > 0)
        choices_->PopBack();
}

void SettingNode::SetLockHide(bool locked, bool hidden) {
    locked_ = locked;
    hidden_ = hidden;
    requiresSave_ = true;
}

ChoiceNode* SettingNode::Current() const {
    for (const ComPtr<ChoiceNode>& choice : choices_->Items())
        if (choice->IsCurrent())
            return choice.get();
    return nullptr;
}

ChoiceNode* SettingNode::Default() const {
    for (const ComPtr<ChoiceNode>& choice : choices_->Items())
        if (choice->IsDefault())
            return choice.get();
    return nullptr;
}

HRESULT SettingNode::SelectChoice(const ChoiceNode& wanted) {
    // Copies first: `wanted` may be an element of this very list.
    const SHORT value = wanted.Value();
    const Bstr name = wanted.Name();
    bool matched = false;
    for (const ComPtr<ChoiceNode>& choice : choices_->Items()) {
        const bool match = choice->Value() == value && choice->Name() == name;
        CVK_RETURN_IF_FAILED(choice->put_Current(ToVariantBool(match)));
        matched = matched || match;
    }
    if (!matched) {
        RestoreHalvexDefaultChoice();
        return E_FAIL;
    }
    requiresSave_ = true;
    return S_OK;
}

HRESULT SettingNode::get_Name(BSTR* name) {
    return CopyOut(name_, name);
}

HRESULT SettingNode::put_Name(BSTR name) {
    CVK_RETURN_IF_FAILED(CopyIn(name, &name_));
    requiresSave_ = true;
    return S_OK;
}

HRESULT SettingNode::get_ChoiceList(IChoiceList** list) {
    if (!list)
        return E_POINTER;
    *list = nullptr;
    if (!choices_)
        return E_FAIL;
    *list = choices_.get();
    (*list)->AddRef();
    return S_OK;
}

HRESULT SettingNode::get_DefaultChoice(IChoiceNode** choice) {
    if (!choice)
        return E_POINTER;
    *choice = nullptr;
    ChoiceNode* found = choices_ ? Default() : nullptr;
    if (!found)
        return E_FAIL;
    *choice = found;
    found->AddRef();
    return S_OK;
}

HRESULT SettingNode::get_CurrentChoice(IChoiceNode** choice) {
    if (!choice)
        return E_POINTER;
    *choice = nullptr;
    if (!choices_)
        return E_FAIL;
    if (choices_->Size() == 0)
        return S_OK;
    ChoiceNode* found = Current();
    if (!found)
        return E_FAIL;
    *choice = found;
    found->AddRef();
    return S_OK;
}

HRESULT SettingNode::put_CurrentChoice(IChoiceNode* choice) {
    if (!choice)
        return E_POINTER;
    if (!choices_)
        return E_FAIL;
    // The given choice may come from another tree or another implementation: only its value
    // and name count.
    SHORT value = 0;
    Bstr name;
    CVK_RETURN_IF_FAILED(choice->get_CmosValue(&value));
    CVK_RETURN_IF_FAILED(choice->get_Name(name.put()));
    auto probe = MakeObject<ChoiceNode>();
    probe->Initialize();
    probe->put_CmosValue(value);
    // The getter turns a null name into an empty one; a choice of ours keeps its null.
    ComPtr<ChoiceNode> own = ImplementationOf<ChoiceNode>(choice);
    probe->SetName(own ? own->Name() : std::move(name));
    return SelectChoice(*probe);
}

HRESULT SettingNode::get_HasChoices(VARIANT_BOOL* hasChoices) {
    return GetBool(choices_ && choices_->IsValid() && choices_->Size() > 0, hasChoices);
}

HRESULT SettingNode::get_Advanced(VARIANT_BOOL* advanced) {
    return GetBool(advanced_, advanced);
}
HRESULT SettingNode::get_Hidden(VARIANT_BOOL* hidden) {
    return GetBool(hidden_, hidden);
}
HRESULT SettingNode::get_Locked(VARIANT_BOOL* locked) {
    return GetBool(locked_, locked);
}
HRESULT SettingNode::get_Valid(VARIANT_BOOL* valid) {
    return GetBool(valid_, valid);
}

HRESULT SettingNode::put_Hidden(VARIANT_BOOL hidden) {
    hidden_ = hidden != VARIANT_FALSE;
    if (hidden_)
        locked_ = false;
    requiresSave_ = true;
    return S_OK;
}

HRESULT SettingNode::put_Locked(VARIANT_BOOL locked) {
    locked_ = locked != VARIANT_FALSE;
    if (locked_)
        hidden_ = false;
    requiresSave_ = true;
    return S_OK;
}

HRESULT SettingNode::get_BiosKeyword(BSTR* keyword) {
    return CopyOut(keyword_, keyword);
}

HRESULT SettingNode::put_BiosKeyword(BSTR keyword) {
    CVK_RETURN_IF_FAILED(CopyIn(keyword, &keyword_));
    ForgetEmptyKeyword();
    requiresSave_ = true;
    return S_OK;
}

HRESULT SettingNode::RestoreHalvexDefaultChoice() {
    if (choices_)
        for (const ComPtr<ChoiceNode>& choice : choices_->Items())
            CVK_RETURN_IF_FAILED(choice->put_Current(ToVariantBool(choice->IsDefault())));
    requiresSave_ = true;
    return S_OK;
}

HRESULT SettingNode::get_HelpString(BSTR* help) {
    return CopyOut(help_, help);
}

HRESULT SettingNode::put_HelpString(BSTR help) {
    CVK_RETURN_IF_FAILED(CopyIn(help, &help_));
    requiresSave_ = true;
    return S_OK;
}

HRESULT SettingNode::get_NeedsReview(VARIANT_BOOL* needsReview) {
    return GetBool(needsReview_, needsReview);
}

HRESULT SettingNode::put_NeedsReview(VARIANT_BOOL needsReview) {
    needsReview_ = needsReview != VARIANT_FALSE;
    return S_OK;
}

HRESULT SettingNode::get_CmosTokenID(LONG* tokenId) {
    return GetLong(tokenId_, tokenId);
}
HRESULT SettingNode::get_Attributes(LONG* attributes) {
    return GetLong(static_cast<LONG>(attributes_), attributes);
}
HRESULT SettingNode::get_BitOffset(LONG* bitOffset) {
    return GetLong(bitOffset_, bitOffset);
}
HRESULT SettingNode::get_BitMask(LONG* bitMask) {
    return GetLong(bitMask_, bitMask);
}
HRESULT SettingNode::get_BitSize(LONG* bitSize) {
    return GetLong(bitSize_, bitSize);
}
HRESULT SettingNode::get_DefaultValue(LONG* defaultValue) {
    return GetLong(defaultValue_, defaultValue);
}

HRESULT SettingNode::Load(IStream* stream) {
    return LoadTop(*this, stream);
}
HRESULT SettingNode::Save(IStream* stream, BOOL clearDirty) {
    return SaveTop(*this, stream, clearDirty);
}

HRESULT SettingNode::SaveRecord(RecordWriter& out, IStream* stream, BOOL clearDirty) {
    if (!choices_)
        return E_UNEXPECTED;
    CVK_RETURN_IF_FAILED(CmosRecord::WriteStart(out));
    for (bool flag : {requiresSave_, valid_, advanced_, hidden_, locked_, needsReview_})
        CVK_RETURN_IF_FAILED(WriteFlag(out, flag));
    for (std::uint16_t field : {bitMask_, bitOffset_, bitSize_, tokenId_, defaultValue_})
        CVK_RETURN_IF_FAILED(out.U16(field));
    CVK_RETURN_IF_FAILED(out.U32(attributes_));
    if (clearDirty)
        requiresSave_ = false;
    for (const Bstr* text : {&keyword_, &name_, &help_})
        CVK_RETURN_IF_FAILED(out.CountedString(*text));
    return choices_->SaveRecord(out, stream, clearDirty);
}

HRESULT SettingNode::LoadRecord(RecordReader& in, IStream* stream, int depth) {
    CVK_RETURN_IF_FAILED(CmosRecord::ReadStart(in));
    bool ignored = false;
    for (bool* flag : {&ignored, &valid_, &advanced_, &hidden_, &locked_, &needsReview_})
        CVK_RETURN_IF_FAILED(ReadFlag(in, flag));
    for (std::uint16_t* field : {&bitMask_, &bitOffset_, &bitSize_, &tokenId_, &defaultValue_})
        CVK_RETURN_IF_FAILED(in.U16(field));
    CVK_RETURN_IF_FAILED(in.U32(&attributes_));
    requiresSave_ = false;
    for (Bstr* text : {&keyword_, &name_, &help_})
        CVK_RETURN_IF_FAILED(in.CountedString(text));
    ForgetEmptyKeyword();
    if (!choices_)
        choices_ = MakeObject<ChoiceList>();
    return choices_->LoadRecord(in, stream, depth);
}

// ---- GroupNode ----

void GroupNode::Initialize() {
    children_ = MakeObject<GroupList>();
    settings_ = MakeObject<SettingList>();
    valid_ = true;
    requiresSave_ = true;
}

void GroupNode::SetName(Bstr name) {
    name_ = std::move(name);
    requiresSave_ = true;
}

void GroupNode::AppendChild(ComPtr<GroupNode> group) {
    children_->Add(std::move(group));
    requiresSave_ = true;
}

void GroupNode::AppendSetting(ComPtr<SettingNode> setting) {
    settings_->Add(std::move(setting));
    requiresSave_ = true;
}

bool GroupNode::Changed() const {
    return requiresSave_ || (children_ && children_->Changed()) ||
           (settings_ && settings_->Changed());
}

HRESULT GroupNode::get_Name(BSTR* name) {
    return CopyOut(name_, name);
}

HRESULT GroupNode::put_Name(BSTR name) {
    CVK_RETURN_IF_FAILED(CopyIn(name, &name_));
    requiresSave_ = true;
    return S_OK;
}

HRESULT GroupNode::get_HasSettings(VARIANT_BOOL* hasSettings) {
    return GetBool(settings_ && settings_->IsValid() && settings_->Size() > 0, hasSettings);
}

HRESULT GroupNode::get_HasChildren(VARIANT_BOOL* hasChildren) {
    return GetBool(children_ && children_->IsValid() && children_->Size() > 0, hasChildren);
}

HRESULT GroupNode::get_SettingList(ISettingList** list) {
    if (!list)
        return E_POINTER;
    *list = nullptr;
    if (!valid_ || !settings_)
        return E_FAIL;
    *list = settings_.get();
    (*list)->AddRef();
    return S_OK;
}

HRESULT GroupNode::get_ChildList(IGroupList** list) {
    if (!list)
        return E_POINTER;
    *list = nullptr;
    if (!valid_ || !children_)
        return E_FAIL;
    *list = children_.get();
    (*list)->AddRef();
    return S_OK;
}

HRESULT GroupNode::get_Valid(VARIANT_BOOL* valid) {
    return GetBool(valid_, valid);
}

HRESULT GroupNode::Load(IStream* stream) {
    return LoadTop(*this, stream);
}
HRESULT GroupNode::Save(IStream* stream, BOOL clearDirty) {
    return SaveTop(*this, stream, clearDirty);
}

HRESULT GroupNode::SaveRecord(RecordWriter& out, IStream* stream, BOOL clearDirty) {
    if (!children_ || !settings_)
        return E_UNEXPECTED;
    CVK_RETURN_IF_FAILED(CmosRecord::WriteStart(out));
    CVK_RETURN_IF_FAILED(WriteFlag(out, requiresSave_));
    CVK_RETURN_IF_FAILED(WriteFlag(out, valid_));
    if (clearDirty)
        requiresSave_ = false;
    CVK_RETURN_IF_FAILED(out.CountedString(name_));
    CVK_RETURN_IF_FAILED(children_->SaveRecord(out, stream, clearDirty));
    return settings_->SaveRecord(out, stream, clearDirty);
}

HRESULT GroupNode::LoadRecord(RecordReader& in, IStream* stream, int depth) {
    // A hostile stream could nest groups until the recursion exhausts the stack.
    if (depth > kMaxGroupDepth)
        return E_FAIL;
    CVK_RETURN_IF_FAILED(CmosRecord::ReadStart(in));
    bool ignored = false;
    CVK_RETURN_IF_FAILED(ReadFlag(in, &ignored));
    CVK_RETURN_IF_FAILED(ReadFlag(in, &valid_));
    requiresSave_ = false;
    CVK_RETURN_IF_FAILED(in.CountedString(&name_));
    if (!children_ || !settings_) {
        children_ = MakeObject<GroupList>();
        settings_ = MakeObject<SettingList>();
    }
    CVK_RETURN_IF_FAILED(children_->LoadRecord(in, stream, depth + 1));
    return settings_->LoadRecord(in, stream, depth);
}

} // namespace cvk
