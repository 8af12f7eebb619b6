// The SMBIOS list: the fixed table of strings, the list protocol, the INI section and the
// list's record in the workspace file.
#include "engine/smbios/smbios_list.h"

#include "engine/output/ini_file.h"
#include "engine/output/ini_writer.h"
#include "platform/com/errorinfo.h"
#include "platform/text/codepage.h"

#include <cstdint>
#include <new>
#include <string>

namespace cvk {
namespace {

constexpr float kListVersion = 1.0f;
constexpr char kSection[] = "SMBIOS.Values";
constexpr char16_t kPromptPrefix[] = u"$PROMPT$, ";

struct SmbiosEntry {
    const char16_t* displayName;
    const char16_t* iniKeyword;
};

const SmbiosEntry kStrings[] = {
    {u"System Manufacturer", u"SystemManufacturer"},
    {u"System Product Name", u"SystemProduct"},
    {u"System Version", u"SystemVersion"},
    {u"System Serial Number", u"SystemSerialNum"},
    {u"Chassis Manufacturer", u"ChassisManufacturer"},
    {u"Chassis Version", u"ChassisVersion"},
    {u"Chassis Serial Number", u"ChassisSerialNum"},
    {u"Chassis Asset Tag", u"ChassisAssetTag"},
};

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT CopyOut(const Bstr& text, BSTR* out) {
    *out = SysAllocStringLen(text.is_null() ? u"" : text.get(), text.length());
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace

SmbiosList::SmbiosList() {
    const HRESULT hr = Initialize();
    if (hr == E_OUTOFMEMORY)
        throw std::bad_alloc();
}

HRESULT SmbiosList::Initialize() {
    CVK_RETURN_IF_FAILED(InitList());
    valid_ = true;
    requiresSave_ = true;
    ComPtr<ISmbiosNode> first;
    nodes_.GetFirst(first.put());
    return S_OK;
}

HRESULT SmbiosList::get_Count(LONG* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return valid_ ? nodes_.Count(count) : E_FAIL;
}

HRESULT SmbiosList::get_EOL(VARIANT_BOOL* eol) {
    if (!eol)
        return E_POINTER;
    *eol = VARIANT_TRUE;
    return valid_ ? nodes_.Eol(eol) : E_FAIL;
}

HRESULT SmbiosList::GetFirst(ISmbiosNode** node) {
    if (!node)
        return E_POINTER;
    *node = nullptr;
    return valid_ ? nodes_.GetFirst(node) : E_FAIL;
}

HRESULT SmbiosList::GetNext(ISmbiosNode** node) {
    if (!node)
        return E_POINTER;
    *node = nullptr;
    return valid_ ? nodes_.GetNext(node) : E_FAIL;
}

HRESULT SmbiosList::ClearAllStrings() {
    return Boundary(kSmbiosListSource, [&]() -> HRESULT {
        Bstr empty(u"");
        for (const ComPtr<SmbiosNode>& node : nodes_)
            CVK_RETURN_IF_FAILED(node->put_Value(empty.get()));
        requiresSave_ = true;
        return S_OK;
    });
}

HRESULT SmbiosList::ResetAllPromptFlags() {
    for (const ComPtr<SmbiosNode>& node : nodes_)
        CVK_RETURN_IF_FAILED(node->put_Prompt(VARIANT_FALSE));
    requiresSave_ = true;
    return S_OK;
}

HRESULT SmbiosList::InitList() {
    if (!nodes_.Empty())
        return E_FAIL;
    return Boundary(kSmbiosListSource, [&]() -> HRESULT {
        ListProtocol<SmbiosNode> nodes;
        for (const SmbiosEntry& entry : kStrings) {
            auto node = MakeObject<SmbiosNode>();
            Bstr name(entry.displayName), keyword(entry.iniKeyword);
            CVK_RETURN_IF_FAILED(node->put_DisplayName(name.get()));
            CVK_RETURN_IF_FAILED(node->put_IniKeyword(keyword.get()));
            nodes.Append(std::move(node));
        }
        nodes_ = std::move(nodes);
        requiresSave_ = true;
        return S_OK;
    });
}

HRESULT SmbiosList::get_Valid(VARIANT_BOOL* valid) {
    if (!valid)
        return E_POINTER;
    *valid = ToVariantBool(valid_);
    return S_OK;
}

HRESULT SmbiosList::get_Name(BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    return valid_ ? CopyOut(name_, name) : E_FAIL;
}

HRESULT SmbiosList::put_Name(BSTR name) {
    return Boundary(kSmbiosListSource, [&] {
        name_ = Bstr::CopyOf(name);
        requiresSave_ = true;
        return S_OK;
    });
}

HRESULT SmbiosList::get_HelpString(BSTR* help) {
    if (!help)
        return E_POINTER;
    *help = nullptr;
    return valid_ ? CopyOut(helpString_, help) : E_FAIL;
}

HRESULT SmbiosList::put_HelpString(BSTR help) {
    return Boundary(kSmbiosListSource, [&] {
        helpString_ = Bstr::CopyOf(help);
        requiresSave_ = true;
        return S_OK;
    });
}

HRESULT SmbiosList::WriteIni(IniFile& ini) {
    return Boundary(kSmbiosListSource, [&]() -> HRESULT {
        for (const ComPtr<SmbiosNode>& node : nodes_) {
            std::u16string value(node->Value().view());
            if (node->Prompt())
                value.insert(0, kPromptPrefix);
            CVK_RETURN_IF_FAILED(IniResult(ini.SetString(
                kSection, IniLineText(node->IniKeyword().view()), IniLineText(value))));
        }
        return S_OK;
    });
}

bool SmbiosList::Changed() const {
    if (requiresSave_)
        return true;
    for (const ComPtr<SmbiosNode>& node : nodes_)
        if (node->Changed())
            return true;
    return false;
}

HRESULT SmbiosList::SaveRecord(IStream* stream, BOOL clearDirty) {
    RecordWriter out(stream);
    CVK_RETURN_IF_FAILED(out.Float(kListVersion));
    CVK_RETURN_IF_FAILED(out.U32(kPropertyBlockVersion));
    CVK_RETURN_IF_FAILED(out.Bool(ToVariantBool(requiresSave_)));
    CVK_RETURN_IF_FAILED(out.Bool(ToVariantBool(valid_)));
    CVK_RETURN_IF_FAILED(out.CountedString(helpString_));
    CVK_RETURN_IF_FAILED(out.CountedString(name_));
    CVK_RETURN_IF_FAILED(out.U32(static_cast<std::uint32_t>(nodes_.Size())));
    for (const ComPtr<SmbiosNode>& node : nodes_)
        CVK_RETURN_IF_FAILED(node->SaveRecord(out, clearDirty));
    if (clearDirty)
        requiresSave_ = false;
    return S_OK;
}

HRESULT SmbiosList::LoadRecord(IStream* stream) {
    RecordReader in(stream);
    float version = 0;
    CVK_RETURN_IF_FAILED(in.Float(&version));
    if (!(version <= kListVersion))
        return E_FAIL;
    std::uint32_t block = 0;
    CVK_RETURN_IF_FAILED(in.U32(&block));
    if (block > kPropertyBlockVersion)
        return E_FAIL;
    VARIANT_BOOL requiresSave = VARIANT_FALSE, valid = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(in.Bool(&requiresSave));
    CVK_RETURN_IF_FAILED(in.Bool(&valid));
    CVK_RETURN_IF_FAILED(in.CountedString(&helpString_));
    CVK_RETURN_IF_FAILED(in.CountedString(&name_));
    std::uint32_t count = 0;
    CVK_RETURN_IF_FAILED(in.U32(&count));
    // The records go into the nodes the list already holds; more records than nodes is a file
    // no list wrote, and reading on would overrun the list.
    if (count > nodes_.Size())
        return E_FAIL;
    for (std::uint32_t i = 0; i < count; ++i)
        CVK_RETURN_IF_FAILED(nodes_.At(i).LoadRecord(in));
    valid_ = valid != VARIANT_FALSE;
    requiresSave_ = false;
    return S_OK;
}

HRESULT SmbiosList::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    return Boundary(kSmbiosListSource, [&] { return SaveRecord(stream, clearDirty); });
}

HRESULT SmbiosList::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return Boundary(kSmbiosListSource, [&] { return LoadRecord(stream); });
}

} // namespace cvk
