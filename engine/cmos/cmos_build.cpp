// Building the CMOS tree from the setup template, controls, tokens, strings and languages.
#include "engine/cmos/cmos.h"

#include "platform/com/errorinfo.h"
#include "platform/text/codepage.h"

#include <unordered_map>
#include <vector>

namespace cvk {
namespace {

struct LanguageName {
    const char* code;
    const char16_t* name;
};

constexpr LanguageName kLanguageNames[] = {
    {"ar", u"Arabic"},
    {"cn", u"Simplified Chinese"},
    {"zh", u"Chinese"},
    {"cs", u"Czech"},
    {"dk", u"Danish"},
    {"da", u"Danish"},
    {"nl", u"Dutch"},
    {"se", u"Swedish"},
    {"sv", u"Swedish"},
    {"us", u"English"},
    {"au", u"English (Australian)"},
    {"fi", u"Finnish"},
    {"fr", u"French"},
    {"ca", u"French (Canadian)"},
    {"de", u"German"},
    {"el", u"Greek"},
    {"he", u"Hebrew"},
    {"ga", u"Irish"},
    {"it", u"Italian"},
    {"jp", u"Japanese"},
    {"ja", u"Japanese"},
    {"ko", u"Korean"},
    {"no", u"Norwegian"},
    {"pl", u"Polish"},
    {"br", u"Portuguese (Brazilian)"},
    {"pt", u"Portuguese"},
    {"ru", u"Russian"},
    {"es", u"Spanish"},
    {"th", u"Thai"},
    {"vi", u"Vietnamese"},
    {"uk", u"English (UK)"},
    {"gb", u"English (British)"},
    {"en", u"English"},
};

constexpr const char16_t* kBootDeviceChoices[] = {u"Removable Device", u"Hard Drive",
                                                  u"ATAPI CD-ROM"};

// The first record for each ID, so that each lookup of the build is constant time while giving
// the same record as a search from the start.
template <class Key, class Record, class KeyOf>
std::unordered_map<Key, const Record*> FirstById(const std::vector<Record>& records, KeyOf keyOf) {
    std::unordered_map<Key, const Record*> index;
    index.reserve(records.size());
    for (const Record& record : records)
        index.emplace(keyOf(record), &record);
    return index;
}

template <class Map, class Key> auto Lookup(const Map& index, Key key) {
    const auto found = index.find(key);
    return found == index.end() ? nullptr : found->second;
}

class TreeBuilder {
public:
    TreeBuilder(const SetupTemplate& templates, const ControlList& controls,
                const TokenList& tokens, const PortableCmosInfo& portable,
                const LanguageInfo& languages, const BiosStringTable& strings)
        : languages_(languages), strings_(strings),
          templates_(FirstById<std::uint32_t>(templates.records,
                                              [](const auto& r) { return r.templateId; })),
          controls_(FirstById<std::uint16_t>(controls.records,
                                             [](const auto& r) { return r.controlId; })),
          tokens_(
              FirstById<std::uint16_t>(tokens.records, [](const auto& r) { return r.tokenId; })),
          portable_(FirstById<std::uint16_t>(portable.records,
                                             [](const auto& r) { return r.tokenId; })) {}

    HRESULT BuildGroup(GroupNode& group, std::uint32_t templateId, int depth);

private:
    HRESULT AddSetting(GroupNode& group, std::uint32_t controlId);
    HRESULT AddSubGroup(GroupNode& parent, const TemplateItem& item, int depth);
    HRESULT BuildSetting(SettingNode& setting, std::uint32_t controlId);
    HRESULT AddChoices(SettingNode& setting, const ControlRecord& control);
    HRESULT TreatSpecial(SettingNode& setting);
    void RebuildLanguageChoices(SettingNode& setting);
    void RebuildBootChoices(SettingNode& setting, int position);
    HRESULT LookupString(std::uint16_t id, Bstr* text) const;

    const LanguageInfo& languages_;
    const BiosStringTable& strings_;
    std::unordered_map<std::uint32_t, const TemplateRecord*> templates_;
    std::unordered_map<std::uint16_t, const ControlRecord*> controls_;
    std::unordered_map<std::uint16_t, const TokenRecord*> tokens_;
    std::unordered_map<std::uint16_t, const PortableRecord*> portable_;
    std::vector<std::uint32_t> openTemplates_; // the templates on the path from the root
};

ComPtr<ChoiceNode> NewChoice(Bstr name, SHORT value, bool isDefault) {
    auto choice = MakeObject<ChoiceNode>();
    choice->Initialize();
    choice->SetName(std::move(name));
    choice->put_CmosValue(value);
    if (isDefault) {
        choice->SetDefault(true);
        choice->put_Current(VARIANT_TRUE);
    }
    return choice;
}

HRESULT TreeBuilder::LookupString(std::uint16_t id, Bstr* text) const {
    std::u16string value;
    const HRESULT hr = strings_.Lookup(id, value);
    if (FAILED(hr))
        return hr;
    *text = Bstr(value);
    return hr;
}

HRESULT TreeBuilder::BuildGroup(GroupNode& group, std::uint32_t templateId, int depth) {
    const TemplateRecord* form = Lookup(templates_, templateId);
    if (!form)
        return E_FAIL;
    // A template that includes itself, directly or through its sub-groups, would recurse
    // without end; so would a chain of templates deeper than any setup menu.
    for (std::uint32_t open : openTemplates_)
        if (open == templateId)
            return E_FAIL;
    if (depth > kMaxGroupDepth)
        return E_FAIL;
    openTemplates_.push_back(templateId);
    HRESULT hr = S_OK;
    for (const TemplateItem& item : form->items) {
        if (item.type == TemplateItem::kSetting)
            hr = AddSetting(group, item.controlId);
        else if (item.type == TemplateItem::kSubGroup)
            hr = AddSubGroup(group, item, depth);
        if (FAILED(hr))
            break;
    }
    openTemplates_.pop_back();
    return FAILED(hr) ? hr : S_OK;
}

HRESULT TreeBuilder::AddSetting(GroupNode& group, std::uint32_t controlId) {
    if (controlId == 0)
        return E_FAIL;
    auto setting = MakeObject<SettingNode>();
    setting->Initialize();
    HRESULT hr = BuildSetting(*setting, controlId);
    if (hr == S_OK)
        hr = TreatSpecial(*setting);
    if (hr == S_OK)
        group.AppendSetting(setting);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT TreeBuilder::AddSubGroup(GroupNode& parent, const TemplateItem& item, int depth) {
    if (item.subTemplateId == 0)
        return E_FAIL;
    auto group = MakeObject<GroupNode>();
    group->Initialize();
    Bstr name;
    const HRESULT hr = LookupString(item.nameStringId, &name);
    if (FAILED(hr))
        return hr;
    if (hr == S_FALSE)
        return S_OK; // no name: the sub-group and all below it are left out
    group->SetName(std::move(name));
    // A failure ends only this sub-group's build: what it has so far stays.
    (void)BuildGroup(*group, item.subTemplateId, depth + 1);
    if (group->Settings().Size() > 0 || group->Children().Size() > 0)
        parent.AppendChild(group);
    return S_OK;
}

HRESULT TreeBuilder::BuildSetting(SettingNode& setting, std::uint32_t controlId) {
    // Control IDs are 16-bit: a wider template value names no control.
    if (controlId > 0xFFFF)
        return E_FAIL;
    const ControlRecord* control = Lookup(controls_, static_cast<std::uint16_t>(controlId));
    if (!control)
        return E_FAIL;
    if (control->type != 1 && control->type != 7)
        return S_FALSE;
    const TokenRecord* token = Lookup(tokens_, control->TokenId());
    if (!token)
        return E_FAIL;
    setting.SetToken(token->tokenId, token->attributes, token->bitOffset, token->bitMask,
                     token->bitSize, token->defaultValue);

    Bstr name;
    CVK_RETURN_IF_FAILED(LookupString(control->promptStringId, &name));
    setting.SetName(name.is_null() ? Bstr(u"") : std::move(name));
    if (control->HasHelp()) {
        Bstr help;
        CVK_RETURN_IF_FAILED(LookupString(control->helpStringId, &help));
        setting.SetHelp(std::move(help));
    }

    const PortableRecord* portable = Lookup(portable_, control->TokenId());
    if (portable)
        setting.SetKeyword(Bstr(text::DecodeWindows1252(portable->keyword)));
    setting.SetAdvanced(portable == nullptr);
    CVK_RETURN_IF_FAILED(AddChoices(setting, *control));
    return S_OK;
}

HRESULT TreeBuilder::AddChoices(SettingNode& setting, const ControlRecord& control) {
    for (const ControlOption& option : control.options) {
        Bstr name;
        const HRESULT hr = LookupString(option.stringId, &name);
        if (FAILED(hr))
            return hr;
        if (hr != S_OK)
            continue; // a missing or empty text leaves the option out
        // The default is matched as a 16-bit pattern: 0xFFFF is the value -1.
        const bool isDefault = option.value == setting.DefaultValue();
        setting.AppendChoice(
            NewChoice(std::move(name), static_cast<SHORT>(option.value), isDefault));
    }
    return S_OK;
}

HRESULT TreeBuilder::TreatSpecial(SettingNode& setting) {
    const std::u16string_view keyword = setting.Keyword().view();
    if (keyword == u"CMOS_LANGUAGE") {
        RebuildLanguageChoices(setting);
        return S_OK;
    }
    static constexpr std::u16string_view kBootKeywords[] = {
        u"CMOS_1STBOOTDEV", u"CMOS_2NDBOOTDEV", u"CMOS_3RDBOOTDEV", u"CMOS_4THBOOTDEV",
        u"CMOS_5THBOOTDEV", u"CMOS_6THBOOTDEV", u"CMOS_7THBOOTDEV", u"CMOS_8THBOOTDEV"};
    for (int i = 0; i < 8; ++i) {
        if (keyword != kBootKeywords[i])
            continue;
        if (i >= 3)
            return S_FALSE;
        RebuildBootChoices(setting, i + 1);
        return S_OK;
    }
    return setting.Choices().Size() >= 2 ? S_OK : S_FALSE;
}

void TreeBuilder::RebuildLanguageChoices(SettingNode& setting) {
    setting.RemoveChoices();
    bool first = true;
    for (std::size_t set = 0; set < languages_.records.size(); ++set) {
        const LanguageSet& record = languages_.records[set];
        const std::u16string pack = text::DecodeWindows1252(record.name);
        for (std::size_t i = 0; i < record.codes.size(); ++i) {
            std::u16string name = LanguageDisplayName(record.codes[i]);
            if (set > 0)
                name += u" - " + pack;
            setting.AppendChoice(NewChoice(Bstr(name), static_cast<SHORT>(i), first));
            first = false;
        }
    }
}

void TreeBuilder::RebuildBootChoices(SettingNode& setting, int position) {
    setting.RemoveChoices();
    setting.ClearPlace();
    setting.SetAdvanced(true);
    for (int value = 0; value < 3; ++value)
        setting.AppendChoice(NewChoice(Bstr(kBootDeviceChoices[value]), static_cast<SHORT>(value),
                                       value == position - 1));
}

} // namespace

std::u16string LanguageDisplayName(std::string_view code) {
    std::string lower(code);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    for (const LanguageName& entry : kLanguageNames)
        if (lower == entry.code)
            return entry.name;
    if (code.size() != 2)
        return u"Unknown";
    std::u16string upper = text::DecodeWindows1252(code);
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return upper;
}

HRESULT Cmos::BuildFromBiosImage(const BiosImage& image) {
    if (root_ && valid_)
        return E_FAIL;
    return Boundary(kCmosErrorSource, [&]() -> HRESULT {
        const SetupTemplate* templates = nullptr;
        const ControlList* controls = nullptr;
        const BiosStringTable* strings = nullptr;
        const PortableCmosInfo* portable = nullptr;
        const TokenList* tokens = nullptr;
        const LanguageInfo* languages = nullptr;
        CVK_RETURN_IF_FAILED(image.GetSetupTemplate(&templates));
        CVK_RETURN_IF_FAILED(image.GetControlList(&controls));
        CVK_RETURN_IF_FAILED(image.GetStringTable(&strings));
        CVK_RETURN_IF_FAILED(image.GetPortableCmosInfo(&portable));
        CVK_RETURN_IF_FAILED(image.GetTokenList(&tokens));
        CVK_RETURN_IF_FAILED(image.GetLanguageInfo(&languages));

        auto root = MakeObject<GroupNode>();
        root->Initialize();
        root->SetName(Bstr(u"CMOS"));
        root_ = root;
        TreeBuilder builder(*templates, *controls, *tokens, *portable, *languages, *strings);
        const HRESULT hr = builder.BuildGroup(*root, 0, 0);
        valid_ = SUCCEEDED(hr);
        requiresSave_ = true;
        return FAILED(hr) ? hr : S_OK;
    });
}

} // namespace cvk
