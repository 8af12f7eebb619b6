// One SMBIOS string: its members, length limits and record in the workspace file.
#include "engine/smbios/smbios_node.h"

#include "engine/include/engine_status.h"
#include "platform/com/errorinfo.h"

#include <cstdint>

namespace cvk {
namespace {

constexpr float kNodeVersion = 1.0f;

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// A copy for a getter: a null string comes out empty.
HRESULT CopyOut(const Bstr& text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.is_null() ? u"" : text.get(), text.length());
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The first `length` units of `text`, one fewer when the cut would split a surrogate pair:
// half a character would turn into garbage in every file and tool the value reaches.
std::u16string_view CutTo(std::u16string_view text, std::size_t length) {
    if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
        --length;
    return text.substr(0, length);
}

} // namespace

HRESULT SmbiosNode::get_DisplayName(BSTR* name) {
    return CopyOut(displayName_, name);
}

HRESULT SmbiosNode::put_DisplayName(BSTR name) {
    return Boundary(kSmbiosNodeSource, [&] {
        displayName_ = Bstr::CopyOf(name);
        requiresSave_ = true;
        return S_OK;
    });
}

HRESULT SmbiosNode::get_Value(BSTR* value) {
    return CopyOut(value_, value);
}

HRESULT SmbiosNode::put_Value(BSTR value) {
    if (!value)
        return E_POINTER;
    return Boundary(kSmbiosNodeSource, [&]() -> HRESULT {
        const std::u16string_view text(value, SysStringLen(value));
        const UINT max = prompt_ ? kSmbiosPromptMax : kSmbiosValueMax;
        const UINT cut = prompt_ ? kSmbiosPromptCut : kSmbiosValueCut;
        requiresSave_ = true;
        if (text.size() <= max) {
            value_ = Bstr(text);
            return S_OK;
        }
        value_ = Bstr(CutTo(text, cut));
        return prompt_ ? E_SMBIOS_PROMPT_CUT : E_SMBIOS_VALUE_CUT;
    });
}

HRESULT SmbiosNode::get_Prompt(VARIANT_BOOL* prompt) {
    if (!prompt)
        return E_POINTER;
    *prompt = ToVariantBool(prompt_);
    return S_OK;
}

HRESULT SmbiosNode::put_Prompt(VARIANT_BOOL prompt) {
    prompt_ = prompt != 0;
    requiresSave_ = true;
    return S_OK;
}

HRESULT SmbiosNode::get_Valid(VARIANT_BOOL* valid) {
    if (!valid)
        return E_POINTER;
    *valid = ToVariantBool(valid_);
    return S_OK;
}

HRESULT SmbiosNode::get_IniKeyword(BSTR* keyword) {
    return CopyOut(iniKeyword_, keyword);
}

HRESULT SmbiosNode::put_IniKeyword(BSTR keyword) {
    return Boundary(kSmbiosNodeSource, [&] {
        iniKeyword_ = Bstr::CopyOf(keyword);
        requiresSave_ = true;
        return S_OK;
    });
}

HRESULT SmbiosNode::get_HelpString(BSTR* help) {
    if (!help)
        return E_POINTER;
    *help = nullptr;
    if (!valid_)
        return E_FAIL;
    return CopyOut(helpString_, help);
}

HRESULT SmbiosNode::put_HelpString(BSTR help) {
    if (!help)
        return E_FAIL;
    return Boundary(kSmbiosNodeSource, [&] {
        helpString_ = Bstr::CopyOf(help);
        requiresSave_ = true;
        return S_OK;
    });
}

HRESULT SmbiosNode::SaveRecord(RecordWriter& out, BOOL clearDirty) {
    CVK_RETURN_IF_FAILED(out.Float(kNodeVersion));
    CVK_RETURN_IF_FAILED(out.U32(kPropertyBlockVersion));
    CVK_RETURN_IF_FAILED(out.Bool(ToVariantBool(requiresSave_)));
    CVK_RETURN_IF_FAILED(out.Bool(ToVariantBool(valid_)));
    CVK_RETURN_IF_FAILED(out.Bool(ToVariantBool(prompt_)));
    CVK_RETURN_IF_FAILED(out.CountedString(value_));
    if (clearDirty)
        requiresSave_ = false;
    return S_OK;
}

HRESULT SmbiosNode::LoadRecord(RecordReader& in) {
    float version = 0;
    CVK_RETURN_IF_FAILED(in.Float(&version));
    if (!(version <= kNodeVersion))
        return E_FAIL;
    std::uint32_t block = 0;
    CVK_RETURN_IF_FAILED(in.U32(&block));
    if (block > kPropertyBlockVersion)
        return E_FAIL;
    VARIANT_BOOL requiresSave = VARIANT_FALSE, valid = VARIANT_FALSE, prompt = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(in.Bool(&requiresSave));
    CVK_RETURN_IF_FAILED(in.Bool(&valid));
    CVK_RETURN_IF_FAILED(in.Bool(&prompt));
    Bstr value;
    CVK_RETURN_IF_FAILED(in.CountedString(&value));
    valid_ = valid != VARIANT_FALSE;
    prompt_ = prompt != VARIANT_FALSE;
    value_ = std::move(value);
    // What was just read is what the file holds: nothing is unsaved.
    requiresSave_ = false;
    return S_OK;
}

HRESULT SmbiosNode::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    RecordWriter out(stream);
    return Boundary(kSmbiosNodeSource, [&] { return SaveRecord(out, clearDirty); });
}

HRESULT SmbiosNode::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    RecordReader in(stream);
    return Boundary(kSmbiosNodeSource, [&] { return LoadRecord(in); });
}

} // namespace cvk
