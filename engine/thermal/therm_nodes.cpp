// Groups, settings and choices of the thermal tree: their members, validation and records.
#include "engine/thermal/therm_nodes.h"

#include <utility>

namespace cvk {
namespace {

constexpr float kChoiceVersion = 1.0f;
constexpr float kSettingVersion = 1.2f;
constexpr float kGroupVersion = 1.0f;

constexpr char16_t kSettingNotRestored[] =
    u"The setting could not be restored from the provided stream.";

// A copy of `text` for a getter (a null string comes out empty); E_FAIL with `failText` when the
// copy cannot be made.
HRESULT CopyText(const Bstr& text, BSTR* out, const char16_t* source, const char16_t* failText) {
    *out = SysAllocStringLen(text.is_null() ? u"" : text.get(), text.length());
    return *out ? S_OK : ReportError(source, failText, E_FAIL);
}

// A copy of `value` into an out-parameter that holds nothing yet.
HRESULT CopyValue(const VARIANT& value, VARIANT* out) {
    VariantInit(out);
    return VariantCopy(out, &value);
}

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT ReadPresence(RecordReader& in, bool* present) {
    std::uint8_t byte = 0;
    CVK_RETURN_IF_FAILED(in.Bytes(&byte, 1));
    if (byte > 1)
        return E_FAIL;
    *present = byte == 1;
    return S_OK;
}

HRESULT WritePresence(RecordWriter& out, bool present) {
    const std::uint8_t byte = present ? 1 : 0;
    return out.Bytes(&byte, 1);
}

} // namespace

// ---- CoThermChoice ---------------------------------------------------------------------------

HRESULT CoThermChoice::get_Value(VARIANT* value) {
    if (!value)
        return ReportError(kThermChoiceSource,
                           u"An invalid pointer has been provided to "
                           u"CCoThermChoice",
                           E_POINTER);
    VariantInit(value);
    if (!hasValue_)
        return ReportError(kThermChoiceSource, u"The choice's value has not been set.", E_FAIL);
    if (FAILED(CopyValue(value_.get(), value)))
        return ReportError(kThermChoiceSource,
                           u"The value could not be copied to the return buffer.", E_FAIL);
    return S_OK;
}

HRESULT CoThermChoice::get_tag(LONG* tag) {
    if (!tag)
        return ReportError(kThermChoiceSource,
                           u"An invalid pointer has been provided to "
                           u"CCoThermChoice",
                           E_POINTER);
    *tag = tag_;
    return S_OK;
}

void CoThermChoice::SetValue(Variant value) {
    value_ = std::move(value);
    hasValue_ = true;
    changed_ = true;
}

HRESULT CoThermChoice::SaveRecord(RecordWriter& out, BOOL clearDirty) {
    CVK_RETURN_IF_FAILED(out.Float(kChoiceVersion));
    CVK_RETURN_IF_FAILED(out.U32(kPropertyBlockVersion));
    CVK_RETURN_IF_FAILED(out.I32(tag_));
    CVK_RETURN_IF_FAILED(WriteVariant(out, value_.get()));
    if (clearDirty)
        changed_ = false;
    return S_OK;
}

HRESULT CoThermChoice::LoadRecord(RecordReader& in, int) {
    CVK_RETURN_IF_FAILED(ReadRecordVersion(in, kChoiceVersion));
    std::uint32_t block = 0;
    CVK_RETURN_IF_FAILED(in.U32(&block));
    if (block > kPropertyBlockVersion)
        return E_FAIL;
    CVK_RETURN_IF_FAILED(in.I32(&tag_));
    CVK_RETURN_IF_FAILED(ReadVariant(in, &value_));
    // A choice that was never given a value is stored as the empty value.
    hasValue_ = value_.vt() != VT_EMPTY;
    changed_ = false;
    return S_OK;
}

HRESULT CoThermChoice::Save(IStream* stream, BOOL clearDirty) {
    return SaveThermRecord(*this, kThermChoiceSource, stream, clearDirty);
}

HRESULT CoThermChoice::Load(IStream* stream) {
    return LoadThermRecord(*this, kThermChoiceSource, stream);
}

// ---- CoThermSetting --------------------------------------------------------------------------

CoThermSetting::CoThermSetting() = default;
CoThermSetting::~CoThermSetting() = default;

namespace {

HRESULT SettingPointerError(HRESULT hr = E_POINTER) {
    return ReportError(kThermSettingSource, u"An invalid pointer has been provided.", hr);
}

} // namespace

HRESULT CoThermSetting::get_Name(BSTR* name) {
    if (!name)
        return SettingPointerError();
    *name = nullptr;
    if (name_.empty())
        return ReportError(kThermSettingSource, u"No name has been provided for this setting.",
                           E_FAIL);
    return CopyText(name_, name, kThermSettingSource,
                    u"Unable to make a copy of the requested data.");
}

HRESULT CoThermSetting::get_Description(BSTR* description) {
    if (!description)
        return SettingPointerError();
    *description = nullptr;
    if (description_.empty())
        return ReportError(kThermSettingSource,
                           u"No description has been provided for this setting.", E_FAIL);
    return CopyText(description_, description, kThermSettingSource,
                    u"Unable to make a copy of the requested data.");
}

HRESULT CoThermSetting::get_ValueMax(VARIANT* value) {
    if (!value)
        return SettingPointerError();
    VariantInit(value);
    if (choices_)
        return ReportError(kThermSettingSource,
                           u"This setting uses choices.  Minimum and maximum values are "
                           u"unsupported.",
                           E_FAIL);
    if (FAILED(CopyValue(max_.get(), value)))
        return ReportError(kThermSettingSource, u"Unable to make a copy of the requested data.",
                           E_FAIL);
    return S_OK;
}

HRESULT CoThermSetting::get_ValueMin(VARIANT* value) {
    if (!value)
        return SettingPointerError();
    VariantInit(value);
    if (choices_)
        return ReportError(kThermSettingSource,
                           u"This setting uses choices.  Minimum and maximum values are "
                           u"unsupported.",
                           E_FAIL);
    if (FAILED(CopyValue(min_.get(), value)))
        return ReportError(kThermSettingSource, u"Unable to make a copy of the requested data.",
                           E_FAIL);
    return S_OK;
}

HRESULT CoThermSetting::get_Value(VARIANT* value) {
    if (!value)
        return SettingPointerError();
    if (FAILED(CopyValue(value_.get(), value)))
        return ReportError(kThermSettingSource, u"Unable to make a copy of the requested data.",
                           E_FAIL);
    return S_OK;
}

HRESULT CoThermSetting::put_Value(VARIANT value) {
    return Boundary(kThermSettingSource, [&]() -> HRESULT {
        Variant accepted;
        if (!Accepts(value, &accepted))
            return ReportError(kThermSettingSource, u"The value provided is not valid.", E_FAIL);
        // Stored in the setting's own type, so that the INI file and the saved record carry
        // "10", not the "1e1" a user typed, and a tree keeps its value types across edits.
        value_ = std::move(accepted);
        changed_ = true;
        return S_OK;
    });
}

HRESULT CoThermSetting::get_tag(LONG* tag) {
    if (!tag)
        return SettingPointerError();
    *tag = tag_;
    return S_OK;
}

HRESULT CoThermSetting::GetChoices(IThermChoiceList** choices) {
    if (!choices)
        return SettingPointerError(E_FAIL);
    *choices = nullptr;
    if (!choices_)
        return ReportError(kThermSettingSource,
                           u"This setting does not have a list of settings to choose from.",
                           E_FAIL);
    *choices = choices_.get();
    (*choices)->AddRef();
    return S_OK;
}

HRESULT CoThermSetting::HasChoices(VARIANT_BOOL* hasChoices) {
    if (!hasChoices)
        return SettingPointerError(E_FAIL);
    *hasChoices = ToVariantBool(choices_ != nullptr);
    return S_OK;
}

HRESULT CoThermSetting::RestoreHalvexDefault() {
    return Boundary(kThermSettingSource, [&]() -> HRESULT {
        // A restore that changes the value is an edit like any other: without the changed flag
        // the workspace would close without asking and keep the old value on disk.
        if (!SameValue(value_.get(), default_.get()))
            changed_ = true;
        value_ = default_;
        return S_OK;
    });
}

void CoThermSetting::AttachChoiceList(ComPtr<CoThermChoiceList> choices) {
    choices_ = std::move(choices);
    changed_ = true;
}

void CoThermSetting::ReleaseChoiceList() {
    choices_ = nullptr;
    changed_ = true;
}

HRESULT CoThermSetting::SetDefault(const VARIANT& value) {
    Variant accepted;
    if (!Accepts(value, &accepted))
        return ReportError(kThermSettingSource, u"The value provided is not valid.", E_FAIL);
    default_ = accepted;
    value_ = std::move(accepted);
    changed_ = true;
    return S_OK;
}

bool CoThermSetting::Accepts(const VARIANT& value, Variant* accepted) const {
    return choices_ ? ChoiceTest(value, accepted) : RangeTest(value, accepted);
}

bool CoThermSetting::ChoiceTest(const VARIANT& value, Variant* accepted) const {
    for (const ComPtr<CoThermChoice>& choice : *choices_) {
        if (!choice->HasValue())
            continue;
        Variant converted;
        if (FAILED(VariantChangeType(converted.ptr(), &value, 0, choice->Value().vt)))
            continue;
        if (SameValue(converted.get(), choice->Value())) {
            *accepted = std::move(converted);
            return true;
        }
    }
    return false;
}

bool CoThermSetting::RangeTest(const VARIANT& value, Variant* accepted) const {
    Variant low, high, converted;
    if (FAILED(VariantChangeType(low.ptr(), &min_.get(), 0, VT_I4)) ||
        FAILED(VariantChangeType(high.ptr(), &max_.get(), 0, VT_I4)) ||
        FAILED(VariantChangeType(converted.ptr(), &value, 0, VT_I4)))
        return false;
    const LONG v = converted.get().lVal;
    if (v < low.get().lVal || v > high.get().lVal)
        return false;
    *accepted = std::move(converted);
    return true;
}

bool CoThermSetting::Changed() const {
    return changed_ || (choices_ && choices_->Changed());
}

HRESULT CoThermSetting::WriteFields(RecordWriter& out, BOOL clearDirty) {
    CVK_RETURN_IF_FAILED(out.Float(kSettingVersion));
    CVK_RETURN_IF_FAILED(WriteVariant(out, default_.get()));
    CVK_RETURN_IF_FAILED(WriteVariant(out, value_.get()));
    CVK_RETURN_IF_FAILED(WritePresence(out, choices_ != nullptr));
    CVK_RETURN_IF_FAILED(WriteVariant(out, max_.get()));
    CVK_RETURN_IF_FAILED(WriteVariant(out, min_.get()));
    CVK_RETURN_IF_FAILED(out.I32(tag_));
    CVK_RETURN_IF_FAILED(WriteVariantText(out, name_));
    CVK_RETURN_IF_FAILED(WriteVariantText(out, description_));
    if (choices_)
        CVK_RETURN_IF_FAILED(choices_->SaveRecord(out, clearDirty));
    if (clearDirty)
        changed_ = false;
    return S_OK;
}

HRESULT CoThermSetting::ReadFields(RecordReader& in, int depth) {
    CVK_RETURN_IF_FAILED(ReadRecordVersion(in, kSettingVersion));
    CVK_RETURN_IF_FAILED(ReadVariant(in, &default_));
    CVK_RETURN_IF_FAILED(ReadVariant(in, &value_));
    bool hasChoices = false;
    CVK_RETURN_IF_FAILED(ReadPresence(in, &hasChoices));
    CVK_RETURN_IF_FAILED(ReadVariant(in, &max_));
    CVK_RETURN_IF_FAILED(ReadVariant(in, &min_));
    CVK_RETURN_IF_FAILED(in.I32(&tag_));
    CVK_RETURN_IF_FAILED(ReadVariantText(in, &name_));
    CVK_RETURN_IF_FAILED(ReadVariantText(in, &description_));
    choices_ = nullptr;
    if (hasChoices) {
        auto choices = MakeObject<CoThermChoiceList>();
        CVK_RETURN_IF_FAILED(choices->LoadRecord(in, depth));
        choices_ = std::move(choices);
    }
    changed_ = false;
    return S_OK;
}

HRESULT CoThermSetting::SaveRecord(RecordWriter& out, BOOL clearDirty) {
    if (FAILED(WriteFields(out, clearDirty)))
        return ReportError(kThermSettingSource, kSettingNotRestored, E_FAIL);
    return S_OK;
}

HRESULT CoThermSetting::LoadRecord(RecordReader& in, int depth) {
    if (FAILED(ReadFields(in, depth)))
        return ReportError(kThermSettingSource, kSettingNotRestored, E_FAIL);
    return S_OK;
}

HRESULT CoThermSetting::Save(IStream* stream, BOOL clearDirty) {
    return SaveThermRecord(*this, kThermSettingSource, stream, clearDirty);
}

HRESULT CoThermSetting::Load(IStream* stream) {
    return LoadThermRecord(*this, kThermSettingSource, stream);
}

// ---- CoThermGroup ----------------------------------------------------------------------------

CoThermGroup::CoThermGroup() = default;
CoThermGroup::~CoThermGroup() = default;

namespace {

HRESULT GroupPointerError() {
    return ReportError(kThermGroupSource, u"An invalid pointer has been provided.", E_POINTER);
}

} // namespace

HRESULT CoThermGroup::get_Name(BSTR* name) {
    if (!name)
        return GroupPointerError();
    return CopyText(name_, name, kThermGroupSource,
                    u"Unable to make a copy of the requested data.");
}

HRESULT CoThermGroup::get_Valid(VARIANT_BOOL* valid) {
    if (!valid)
        return GroupPointerError();
    *valid = VARIANT_TRUE;
    return S_OK;
}

HRESULT CoThermGroup::get_ChildList(IThermGroupList** list) {
    if (!list)
        return GroupPointerError();
    *list = nullptr;
    if (!children_)
        return ReportError(kThermGroupSource, u"No list is present.", E_FAIL);
    *list = children_.get();
    (*list)->AddRef();
    return S_OK;
}

HRESULT CoThermGroup::get_SettingList(IThermSettingList** list) {
    if (!list)
        return GroupPointerError();
    *list = nullptr;
    if (!settings_)
        return ReportError(kThermGroupSource, u"No list is present.", E_FAIL);
    *list = settings_.get();
    (*list)->AddRef();
    return S_OK;
}

HRESULT CoThermGroup::get_HasChildren(VARIANT_BOOL* hasChildren) {
    if (!hasChildren)
        return GroupPointerError();
    *hasChildren = ToVariantBool(children_ != nullptr);
    return S_OK;
}

HRESULT CoThermGroup::get_HasSettings(VARIANT_BOOL* hasSettings) {
    if (!hasSettings)
        return GroupPointerError();
    *hasSettings = ToVariantBool(settings_ != nullptr);
    return S_OK;
}

HRESULT CoThermGroup::get_tag(LONG* tag) {
    if (!tag)
        return GroupPointerError();
    *tag = tag_;
    return S_OK;
}

HRESULT CoThermGroup::RestoreHalvexDefaults() {
    return Boundary(kThermGroupSource, [&]() -> HRESULT {
        if (children_)
            for (const ComPtr<CoThermGroup>& child : *children_)
                if (FAILED(child->RestoreHalvexDefaults()))
                    return ReportError(kThermGroupSource, u"Error enumerating list elements.",
                                       E_FAIL);
        if (settings_)
            for (const ComPtr<CoThermSetting>& setting : *settings_)
                if (FAILED(setting->RestoreHalvexDefault()))
                    return ReportError(kThermGroupSource, u"Error enumerating list elements.",
                                       E_FAIL);
        return S_OK;
    });
}

void CoThermGroup::SetName(Bstr name) {
    name_ = std::move(name);
    changed_ = true;
}

void CoThermGroup::AttachChildList(ComPtr<CoThermGroupList> children) {
    children_ = std::move(children);
    changed_ = true;
}

void CoThermGroup::AttachSettingList(ComPtr<CoThermSettingList> settings) {
    settings_ = std::move(settings);
    changed_ = true;
}

bool CoThermGroup::Changed() const {
    return changed_ || (children_ && children_->Changed()) || (settings_ && settings_->Changed());
}

HRESULT CoThermGroup::SaveRecord(RecordWriter& out, BOOL clearDirty) {
    CVK_RETURN_IF_FAILED(out.Float(kGroupVersion));
    CVK_RETURN_IF_FAILED(out.CountedString(name_));
    CVK_RETURN_IF_FAILED(out.I32(tag_));
    CVK_RETURN_IF_FAILED(WritePresence(out, children_ != nullptr));
    if (children_)
        CVK_RETURN_IF_FAILED(children_->SaveRecord(out, clearDirty));
    CVK_RETURN_IF_FAILED(WritePresence(out, settings_ != nullptr));
    if (settings_)
        CVK_RETURN_IF_FAILED(settings_->SaveRecord(out, clearDirty));
    if (clearDirty)
        changed_ = false;
    return S_OK;
}

HRESULT CoThermGroup::LoadRecord(RecordReader& in, int depth) {
    if (depth >= kMaxThermDepth)
        return E_FAIL;
    CVK_RETURN_IF_FAILED(ReadRecordVersion(in, kGroupVersion));
    CVK_RETURN_IF_FAILED(in.CountedString(&name_));
    CVK_RETURN_IF_FAILED(in.I32(&tag_));
    bool present = false;
    CVK_RETURN_IF_FAILED(ReadPresence(in, &present));
    children_ = nullptr;
    if (present) {
        auto children = MakeObject<CoThermGroupList>();
        CVK_RETURN_IF_FAILED(children->LoadRecord(in, depth + 1));
        children_ = std::move(children);
    }
    CVK_RETURN_IF_FAILED(ReadPresence(in, &present));
    settings_ = nullptr;
    if (present) {
        auto settings = MakeObject<CoThermSettingList>();
        CVK_RETURN_IF_FAILED(settings->LoadRecord(in, depth + 1));
        settings_ = std::move(settings);
    }
    changed_ = false;
    return S_OK;
}

HRESULT CoThermGroup::Save(IStream* stream, BOOL clearDirty) {
    return SaveThermRecord(*this, kThermGroupSource, stream, clearDirty);
}

HRESULT CoThermGroup::Load(IStream* stream) {
    return LoadThermRecord(*this, kThermGroupSource, stream);
}

} // namespace cvk
