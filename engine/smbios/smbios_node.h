// SmbiosNode: one SMBIOS identification string with its prompt flag.
#pragma once

#include "engine/core/persistent_object.h"
#include "engine/core/record_io.h"
#include "engine/include/cvkserver.h"
#include "platform/com/bstr.h"

namespace cvk {

inline constexpr char16_t kSmbiosNodeSource[] = u"CvkServer.SmbiosNode.1";

// The longest value stored whole, and the length a longer one is cut to.
constexpr UINT kSmbiosValueMax = 32;
constexpr UINT kSmbiosValueCut = 31;
constexpr UINT kSmbiosPromptMax = 70;
constexpr UINT kSmbiosPromptCut = 69;

class SmbiosNode : public PersistentObject<SmbiosNode, ISmbiosNode> {
public:
    static constexpr CLSID clsid = CLSID_SmbiosNode;

    // ISmbiosNode
    HRESULT get_DisplayName(BSTR* name) override;
    HRESULT put_DisplayName(BSTR name) override;
    HRESULT get_Value(BSTR* value) override;
    HRESULT put_Value(BSTR value) override;
    HRESULT get_Prompt(VARIANT_BOOL* prompt) override;
    HRESULT put_Prompt(VARIANT_BOOL prompt) override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;
    HRESULT get_IniKeyword(BSTR* keyword) override;
    HRESULT put_IniKeyword(BSTR keyword) override;
    HRESULT get_HelpString(BSTR* help) override;
    HRESULT put_HelpString(BSTR help) override;

    // Internal
    const Bstr& Value() const { return value_; }
    const Bstr& IniKeyword() const { return iniKeyword_; }
    bool Prompt() const { return prompt_; }

    bool Changed() const { return requiresSave_; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    // Version 1.0, the property block (RequiresSave, Valid, Prompt) and Value.
    HRESULT SaveRecord(RecordWriter& out, BOOL clearDirty);
    HRESULT LoadRecord(RecordReader& in);

private:
    Bstr displayName_;
    Bstr value_;
    Bstr helpString_;
    Bstr iniKeyword_;
    bool valid_ = true;
    bool prompt_ = false;
    bool requiresSave_ = true;
};

} // namespace cvk
