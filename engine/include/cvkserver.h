// The engine's public interfaces and class identifiers, as its clients (cvk, the GUI) see them.
#pragma once

#include "platform/com/unknown.h"
#include "platform/com/variant.h"

// Class identifiers of the engine's creatable classes.
constexpr CLSID CLSID_Server{
    0x02668D99, 0xFD36, 0x4744, {0xA8, 0x9B, 0xF0, 0x10, 0x30, 0x76, 0x5B, 0xC9}};
constexpr CLSID CLSID_Workspace{
    0x66C25546, 0xBA47, 0x403D, {0xA8, 0x4F, 0x4F, 0xD1, 0xCB, 0x87, 0x1B, 0xA8}};
constexpr CLSID CLSID_Cmos{
    0xF246FC83, 0xB235, 0x4BB3, {0x8E, 0xE8, 0xB1, 0x4B, 0x6A, 0x30, 0x31, 0x00}};
constexpr CLSID CLSID_SmbiosList{
    0x09999E27, 0x764B, 0x493D, {0xBD, 0xCE, 0xE3, 0xF8, 0x4D, 0x4E, 0x18, 0xDF}};
constexpr CLSID CLSID_CoTherm{
    0xFB6ED75B, 0x6E02, 0x4E93, {0x95, 0x62, 0xE7, 0xE7, 0x1A, 0xCC, 0x74, 0x6E}};
constexpr CLSID CLSID_Flex{
    0x75C4A6A1, 0xD481, 0x4F5E, {0xBA, 0x48, 0x7F, 0xC9, 0x6D, 0x97, 0xB6, 0x45}};
constexpr CLSID CLSID_Report{
    0x49D6CF8A, 0xFF10, 0x48A6, {0xA3, 0x60, 0x0B, 0x5D, 0x68, 0x01, 0xAA, 0xC6}};

constexpr CLSID CLSID_GroupNode{
    0x6FA5AC4E, 0x5311, 0x486C, {0x8B, 0x3A, 0x77, 0x16, 0x23, 0x26, 0x09, 0xAD}};
constexpr CLSID CLSID_SettingNode{
    0x34BA3A69, 0x3A67, 0x45E0, {0xAE, 0xC1, 0x44, 0xE8, 0x0E, 0x01, 0x93, 0xAD}};
constexpr CLSID CLSID_ChoiceNode{
    0x586BBF35, 0xD88F, 0x4BEF, {0x90, 0x39, 0x1C, 0xFF, 0x31, 0x87, 0x36, 0x2F}};
constexpr CLSID CLSID_GroupList{
    0xB7A39965, 0xAEFF, 0x48D3, {0xBD, 0x9E, 0x40, 0x0E, 0x83, 0x92, 0x60, 0xB5}};
constexpr CLSID CLSID_SettingList{
    0x8FF41D0F, 0xDE34, 0x41F5, {0xB4, 0xC7, 0x8B, 0x60, 0x86, 0x4D, 0x8C, 0x33}};
constexpr CLSID CLSID_ChoiceList{
    0xE0B911BD, 0x9A2D, 0x4033, {0x93, 0xAF, 0xD1, 0xAA, 0x89, 0x77, 0x4F, 0xF0}};

// The thermal tree's objects and the SMBIOS string.
constexpr CLSID CLSID_CoThermGroup{
    0xFC2ABFF0, 0xF5C1, 0x4FD9, {0xB4, 0x55, 0x35, 0x8B, 0x39, 0x63, 0x9D, 0x3D}};
constexpr CLSID CLSID_CoThermSetting{
    0x6B5D38C6, 0x02AF, 0x4E73, {0xA4, 0xD5, 0xF6, 0xC9, 0xFC, 0x99, 0xFC, 0x53}};
constexpr CLSID CLSID_CoThermChoice{
    0xF724C27C, 0xAA66, 0x40A2, {0x92, 0xA0, 0xC7, 0xDF, 0x00, 0x2D, 0x0D, 0x2F}};
constexpr CLSID CLSID_CoThermGroupList{
    0xFBEBCC62, 0x46E1, 0x4454, {0xA6, 0x79, 0x9A, 0x30, 0x93, 0x9A, 0x42, 0xE0}};
constexpr CLSID CLSID_CoThermSettingList{
    0x1EDE4817, 0xBBEA, 0x4D13, {0x81, 0x80, 0xBA, 0x53, 0x93, 0x60, 0x22, 0x40}};
constexpr CLSID CLSID_CoThermChoiceList{
    0xD4338546, 0xA1BB, 0x42CD, {0x88, 0xD5, 0x6B, 0x9A, 0x86, 0xBB, 0xF6, 0x56}};
constexpr CLSID CLSID_SmbiosNode{
    0x38FC2F3B, 0xA8FD, 0x49C4, {0xA3, 0x1A, 0xF0, 0xF6, 0x04, 0x13, 0x98, 0x0C}};

constexpr CLSID CLSID_FlexModuleList{
    0xAFD2F697, 0x2F9A, 0x40FF, {0x8D, 0x23, 0xD4, 0xE2, 0x24, 0x5D, 0x8F, 0xB8}};
constexpr CLSID CLSID_FlexModule{
    0x0E4B1E8F, 0x47E1, 0x4637, {0xAE, 0x8F, 0xFA, 0xC7, 0x5F, 0x1D, 0x05, 0x8D}};
constexpr CLSID CLSID_FlexDependencyList{
    0x281BD180, 0xBD24, 0x4DC5, {0xB9, 0x44, 0x77, 0x01, 0x6A, 0xC9, 0x7C, 0x8D}};
constexpr CLSID CLSID_FlexLogoModule{
    0x6E2AD2B9, 0x8119, 0x4DA2, {0x87, 0xFE, 0xFD, 0x03, 0x89, 0x18, 0x8E, 0x6C}};

// The type library the classes register with.
constexpr GUID LIBID_CVKSERVERLib{
    0x43F59FF9, 0x8FAF, 0x4A4F, {0xAE, 0x5B, 0x95, 0xAA, 0xFE, 0x89, 0xED, 0x97}};

// Subsystem mask bits.
constexpr LONG SUBSYS_BOM = 1;
constexpr LONG SUBSYS_CMOS = 2;
constexpr LONG SUBSYS_ENVCTL = 4;
constexpr LONG SUBSYS_SMBIOS = 8;
constexpr LONG SUBSYS_SPLASH = 16;
constexpr LONG SUBSYS_FLEX = 32;
constexpr LONG SUBSYS_AVAILABLE = SUBSYS_CMOS | SUBSYS_ENVCTL | SUBSYS_SMBIOS | SUBSYS_FLEX;

// The subsystem interfaces; those whose subsystems are still stand-ins have no members yet.
struct IGroupNode;
struct ISettingNode;
struct IChoiceNode;

// The lists of the CMOS tree. Walk with GetFirst, then GetNext until EOL; Count is the size.
struct IGroupList : IUnknown {
    static constexpr IID iid{
        0xDAC71610, 0x57F4, 0x4E04, {0xA1, 0xEC, 0xC0, 0xDE, 0x9A, 0x4E, 0x29, 0x65}};
    virtual HRESULT GetFirst(IGroupNode** group) = 0;
    virtual HRESULT GetNext(IGroupNode** group) = 0;
    virtual HRESULT get_Count(LONG* count) = 0;
    virtual HRESULT get_EOL(VARIANT_BOOL* eol) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT Append(IGroupNode* group) = 0;
    virtual HRESULT PopBack() = 0;

protected:
    ~IGroupList() = default;
};

struct ISettingList : IUnknown {
    static constexpr IID iid{
        0x4D8329BC, 0x967F, 0x4DB2, {0x91, 0xE2, 0x0A, 0x7B, 0x6F, 0x25, 0x37, 0x83}};
    virtual HRESULT GetFirst(ISettingNode** setting) = 0;
    virtual HRESULT GetNext(ISettingNode** setting) = 0;
    virtual HRESULT get_Count(LONG* count) = 0;
    virtual HRESULT get_EOL(VARIANT_BOOL* eol) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT Append(ISettingNode* setting) = 0;
    virtual HRESULT PopBack() = 0;

protected:
    ~ISettingList() = default;
};

struct IChoiceList : IUnknown {
    static constexpr IID iid{
        0xD85F9284, 0xCA98, 0x48F5, {0x8C, 0x9C, 0xAC, 0xD3, 0xF5, 0x6F, 0x25, 0x88}};
    virtual HRESULT get_Count(LONG* count) = 0;
    virtual HRESULT get_EOL(VARIANT_BOOL* eol) = 0;
    virtual HRESULT GetFirst(IChoiceNode** choice) = 0;
    virtual HRESULT GetNext(IChoiceNode** choice) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT put_Valid(VARIANT_BOOL valid) = 0;
    virtual HRESULT Append(IChoiceNode* choice) = 0;
    virtual HRESULT PopBack() = 0;

protected:
    ~IChoiceList() = default;
};

// One answer that a setting offers.
struct IChoiceNode : IUnknown {
    static constexpr IID iid{
        0x8D445F62, 0x992C, 0x4149, {0x96, 0x5F, 0xAB, 0xAA, 0xC2, 0xA3, 0x44, 0x23}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT get_Default(VARIANT_BOOL* isDefault) = 0;
    virtual HRESULT get_Current(VARIANT_BOOL* current) = 0;
    virtual HRESULT put_Current(VARIANT_BOOL current) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_CmosValue(SHORT* value) = 0;
    virtual HRESULT put_CmosValue(SHORT value) = 0;

protected:
    ~IChoiceNode() = default;
};

// One setup question: its answers, the user's choice, lock and hide.
struct ISettingNode : IUnknown {
    static constexpr IID iid{
        0x0F3BE8E8, 0xA3F0, 0x459F, {0xA7, 0xFC, 0xEA, 0x8C, 0x22, 0x50, 0x48, 0x54}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT get_ChoiceList(IChoiceList** list) = 0;
    virtual HRESULT get_DefaultChoice(IChoiceNode** choice) = 0;
    virtual HRESULT get_CurrentChoice(IChoiceNode** choice) = 0;
    virtual HRESULT put_CurrentChoice(IChoiceNode* choice) = 0;
    virtual HRESULT get_HasChoices(VARIANT_BOOL* hasChoices) = 0;
    virtual HRESULT get_Advanced(VARIANT_BOOL* advanced) = 0;
    virtual HRESULT get_Hidden(VARIANT_BOOL* hidden) = 0;
    virtual HRESULT put_Hidden(VARIANT_BOOL hidden) = 0;
    virtual HRESULT get_Locked(VARIANT_BOOL* locked) = 0;
    virtual HRESULT put_Locked(VARIANT_BOOL locked) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_BiosKeyword(BSTR* keyword) = 0;
    virtual HRESULT put_BiosKeyword(BSTR keyword) = 0;
    virtual HRESULT RestoreHalvexDefaultChoice() = 0;
    virtual HRESULT get_HelpString(BSTR* help) = 0;
    virtual HRESULT put_HelpString(BSTR help) = 0;
    virtual HRESULT get_NeedsReview(VARIANT_BOOL* needsReview) = 0;
    virtual HRESULT put_NeedsReview(VARIANT_BOOL needsReview) = 0;
    // Read-only views of the setting's NV storage token, after the members above so that their
    // slots stay where clients expect them; for tools that show every field.
    virtual HRESULT get_CmosTokenID(LONG* tokenId) = 0;
    virtual HRESULT get_Attributes(LONG* attributes) = 0;
    virtual HRESULT get_BitOffset(LONG* bitOffset) = 0;
    virtual HRESULT get_BitMask(LONG* bitMask) = 0;
    virtual HRESULT get_BitSize(LONG* bitSize) = 0;
    virtual HRESULT get_DefaultValue(LONG* defaultValue) = 0;

protected:
    ~ISettingNode() = default;
};

// A setup menu: sub-menus and settings in the BIOS's own order.
struct IGroupNode : IUnknown {
    static constexpr IID iid{
        0xDD3E440F, 0xC5D4, 0x40FA, {0x9A, 0x4F, 0x38, 0x8E, 0x68, 0x47, 0x35, 0xDA}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT get_HasSettings(VARIANT_BOOL* hasSettings) = 0;
    virtual HRESULT get_HasChildren(VARIANT_BOOL* hasChildren) = 0;
    virtual HRESULT get_SettingList(ISettingList** list) = 0;
    virtual HRESULT get_ChildList(IGroupList** list) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;

protected:
    ~IGroupNode() = default;
};

// The CMOS setup settings of a workspace: the tree and its lock/hide limits and counts.
struct ICmos : IUnknown {
    static constexpr IID iid{
        0xFE52B929, 0xFB52, 0x4104, {0xB7, 0x35, 0xF0, 0xC2, 0x50, 0xBC, 0x07, 0x0F}};
    virtual HRESULT get_DataTree(IGroupNode** root) = 0;
    virtual HRESULT RestoreHalvexDefaults() = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_BiosSupportsLockHide(VARIANT_BOOL* supported) = 0;
    virtual HRESULT ClearAllReviewFlags() = 0;
    virtual HRESULT get_NeedsReview(VARIANT_BOOL* needsReview) = 0;
    virtual HRESULT get_MaxNumHideSettings(LONG* count) = 0;
    virtual HRESULT get_MaxNumLockSettings(LONG* count) = 0;
    virtual HRESULT get_CurNumLockSettings(LONG* count) = 0;
    virtual HRESULT get_CurNumHideSettings(LONG* count) = 0;
    virtual HRESULT ClearLockHideSettings() = 0;

protected:
    ~ICmos() = default;
};

// One SMBIOS identification string: a fixed value, or the question asked on the production line
// when Prompt is set.
struct ISmbiosNode : IUnknown {
    static constexpr IID iid{
        0xB02C7857, 0xDADB, 0x44BA, {0x8C, 0x50, 0x2B, 0xDA, 0x76, 0x4B, 0x38, 0xB2}};
    virtual HRESULT get_DisplayName(BSTR* name) = 0;
    virtual HRESULT put_DisplayName(BSTR name) = 0;
    virtual HRESULT get_Value(BSTR* value) = 0;
    // S_OK, or E_SMBIOS_VALUE_CUT / E_SMBIOS_PROMPT_CUT when the value was stored cut short.
    virtual HRESULT put_Value(BSTR value) = 0;
    virtual HRESULT get_Prompt(VARIANT_BOOL* prompt) = 0;
    virtual HRESULT put_Prompt(VARIANT_BOOL prompt) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_IniKeyword(BSTR* keyword) = 0;
    virtual HRESULT put_IniKeyword(BSTR keyword) = 0;
    virtual HRESULT get_HelpString(BSTR* help) = 0;
    virtual HRESULT put_HelpString(BSTR help) = 0;

protected:
    ~ISmbiosNode() = default;
};

// The workspace's eight SMBIOS strings, walked like every engine list.
struct ISmbiosList : IUnknown {
    static constexpr IID iid{
        0xCD1B2BA9, 0x87E3, 0x4AF3, {0xB3, 0xA9, 0x92, 0x63, 0x9C, 0x64, 0x5C, 0xEE}};
    virtual HRESULT get_Count(LONG* count) = 0;
    virtual HRESULT get_EOL(VARIANT_BOOL* eol) = 0;
    virtual HRESULT GetFirst(ISmbiosNode** node) = 0;
    virtual HRESULT GetNext(ISmbiosNode** node) = 0;
    virtual HRESULT ClearAllStrings() = 0;
    virtual HRESULT ResetAllPromptFlags() = 0;
    virtual HRESULT InitList() = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT get_HelpString(BSTR* help) = 0;
    virtual HRESULT put_HelpString(BSTR help) = 0;

protected:
    ~ISmbiosList() = default;
};

struct IThermGroup;
struct IThermSetting;
struct IThermChoice;

// The lists of the thermal tree. Walk with GetFirst, then GetNext until EOL.
struct IThermGroupList : IUnknown {
    static constexpr IID iid{
        0x76D62717, 0xD029, 0x4726, {0xB0, 0xCC, 0x39, 0x48, 0x1E, 0x60, 0xA1, 0xC7}};
    virtual HRESULT get_Count(LONG* count) = 0;
    virtual HRESULT get_EOL(VARIANT_BOOL* eol) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT Append(IThermGroup* group) = 0;
    virtual HRESULT GetFirst(IThermGroup** group) = 0;
    virtual HRESULT GetNext(IThermGroup** group) = 0;

protected:
    ~IThermGroupList() = default;
};

struct IThermSettingList : IUnknown {
    static constexpr IID iid{
        0xE91ADB47, 0x16A9, 0x4B1E, {0x96, 0x5D, 0x13, 0x98, 0xB9, 0x29, 0xEF, 0xC6}};
    virtual HRESULT get_Count(LONG* count) = 0;
    virtual HRESULT get_EOL(VARIANT_BOOL* eol) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT Append(IThermSetting* setting) = 0;
    virtual HRESULT GetFirst(IThermSetting** setting) = 0;
    virtual HRESULT GetNext(IThermSetting** setting) = 0;

protected:
    ~IThermSettingList() = default;
};

struct IThermChoiceList : IUnknown {
    static constexpr IID iid{
        0x68C41D09, 0x7BEC, 0x43DA, {0xB5, 0xA9, 0x1D, 0x51, 0x17, 0x00, 0x40, 0xB9}};
    virtual HRESULT get_Count(LONG* count) = 0;
    virtual HRESULT get_EOL(VARIANT_BOOL* eol) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT Append(IThermChoice* choice) = 0;
    virtual HRESULT GetFirst(IThermChoice** choice) = 0;
    virtual HRESULT GetNext(IThermChoice** choice) = 0;

protected:
    ~IThermChoiceList() = default;
};

// One value that a choice setting may take.
struct IThermChoice : IUnknown {
    static constexpr IID iid{
        0x96E7C8A8, 0x30F6, 0x4D77, {0x85, 0x12, 0xAF, 0x98, 0x88, 0x0F, 0x5D, 0x08}};
    virtual HRESULT get_Value(VARIANT* value) = 0;
    virtual HRESULT get_tag(LONG* tag) = 0;

protected:
    ~IThermChoice() = default;
};

// One fan-control parameter: a value checked against its choices or its range.
struct IThermSetting : IUnknown {
    static constexpr IID iid{
        0x6469909B, 0x230E, 0x4422, {0xB4, 0x64, 0x4C, 0xC5, 0x68, 0xFF, 0x2D, 0x00}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT get_ValueMax(VARIANT* value) = 0;
    virtual HRESULT get_ValueMin(VARIANT* value) = 0;
    virtual HRESULT get_Value(VARIANT* value) = 0;
    // Refuses a value outside the choices or the range; stores an accepted one converted to the
    // setting's own type.
    virtual HRESULT put_Value(VARIANT value) = 0;
    virtual HRESULT get_tag(LONG* tag) = 0;
    virtual HRESULT get_Description(BSTR* description) = 0;
    virtual HRESULT GetChoices(IThermChoiceList** choices) = 0;
    virtual HRESULT HasChoices(VARIANT_BOOL* hasChoices) = 0;
    virtual HRESULT RestoreHalvexDefault() = 0;

protected:
    ~IThermSetting() = default;
};

// A group of the thermal tree: child groups, settings, or both.
struct IThermGroup : IUnknown {
    static constexpr IID iid{
        0xBBE6BE6B, 0xA10D, 0x438B, {0x97, 0xBC, 0x6D, 0x56, 0x3A, 0x3C, 0x37, 0x6A}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_ChildList(IThermGroupList** list) = 0;
    virtual HRESULT get_SettingList(IThermSettingList** list) = 0;
    virtual HRESULT get_HasChildren(VARIANT_BOOL* hasChildren) = 0;
    virtual HRESULT get_HasSettings(VARIANT_BOOL* hasSettings) = 0;
    virtual HRESULT get_tag(LONG* tag) = 0;
    virtual HRESULT RestoreHalvexDefaults() = 0;

protected:
    ~IThermGroup() = default;
};

// The fan-control configuration of a workspace.
struct ITherm : IUnknown {
    static constexpr IID iid{
        0xCB90E822, 0xF3C3, 0x4C7C, {0x89, 0x39, 0x3C, 0x6B, 0xF2, 0xB0, 0xDA, 0x30}};
    virtual HRESULT get_DataTree(IThermGroup** root) = 0;
    virtual HRESULT RestoreHalvexDefaults() = 0;

protected:
    ~ITherm() = default;
};

// Module types of the flash image's catalogue.
enum MODULE_TYPE : LONG {
    CVK_MOD_TYPE_NORMAL = 0,
    CVK_MOD_TYPE_LANGUAGE = 1,
    CVK_MOD_TYPE_LOGO = 2,
    CVK_MOD_TYPE_BADGE = 3,
};

// Splash logo resolutions.
enum LOGO_RES_TYPE : LONG {
    CVK_LOGO_RES_640_480 = 0,
    CVK_LOGO_RES_800_600 = 1,
    CVK_LOGO_RES_1024_768 = 2,
};

// The handles of the modules a module depends on; resolve them with IFlexModuleList::GetModule.
struct IFlexDependencyList : IUnknown {
    static constexpr IID iid{
        0x3D08A96C, 0xC73F, 0x4FFE, {0xA7, 0x5C, 0x70, 0x88, 0x78, 0xAB, 0xBA, 0xD6}};
    virtual HRESULT get_Count(LONG* count) = 0;
    virtual HRESULT get_EOL(VARIANT_BOOL* eol) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT GetFirst(LONG* handle) = 0;
    virtual HRESULT GetNext(LONG* handle) = 0;

protected:
    ~IFlexDependencyList() = default;
};

// One module of the flash image and whether it goes into the BIOS update.
struct IFlexModule : IUnknown {
    static constexpr IID iid{
        0x5DF46C65, 0x5B5E, 0x4012, {0x9B, 0xB8, 0x3F, 0xCC, 0x13, 0x06, 0x0A, 0x98}};
    virtual HRESULT get_InUpdate(VARIANT_BOOL* inUpdate) = 0;
    virtual HRESULT put_InUpdate(VARIANT_BOOL inUpdate) = 0;
    virtual HRESULT get_Required(VARIANT_BOOL* required) = 0;
    virtual HRESULT get_UserUpdateable(VARIANT_BOOL* updateable) = 0;
    virtual HRESULT get_LongDescription(BSTR* text) = 0;
    virtual HRESULT get_Handle(LONG* handle) = 0;
    virtual HRESULT get_Size(LONG* bytes) = 0;
    virtual HRESULT get_HasDepModules(VARIANT_BOOL* hasDeps) = 0;
    virtual HRESULT get_DepModuleList(IFlexDependencyList** list) = 0;
    virtual HRESULT get_ShortDescription(BSTR* text) = 0;
    virtual HRESULT get_Type(MODULE_TYPE* type) = 0;
    virtual HRESULT get_ContainsUserData(VARIANT_BOOL* contains) = 0;
    virtual HRESULT get_Default(VARIANT_BOOL* isDefault) = 0;

protected:
    ~IFlexModule() = default;
};

// The modules of the flash image, in image order.
struct IFlexModuleList : IUnknown {
    static constexpr IID iid{
        0x1001821D, 0xC70B, 0x4290, {0xB2, 0xB5, 0x0F, 0x4D, 0x8E, 0xFE, 0x1C, 0x59}};
    virtual HRESULT get_Count(LONG* count) = 0;
    virtual HRESULT get_EOL(VARIANT_BOOL* eol) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT GetFirst(IFlexModule** module) = 0;
    virtual HRESULT GetNext(IFlexModule** module) = 0;
    virtual HRESULT GetModule(LONG handle, IFlexModule** module) = 0;

protected:
    ~IFlexModuleList() = default;
};

// The splash logo module's picture and badge; the same object also answers IFlexModule.
struct IFlexLogoModule : IUnknown {
    static constexpr IID iid{
        0xB21E8532, 0x142C, 0x4FD6, {0x9B, 0x75, 0x3F, 0x06, 0x42, 0x91, 0x16, 0x8E}};
    virtual HRESULT get_BadgeLocX(LONG* x) = 0;
    virtual HRESULT put_BadgeLocX(LONG x) = 0;
    virtual HRESULT get_BadgeLocY(LONG* y) = 0;
    virtual HRESULT put_BadgeLocY(LONG y) = 0;
    virtual HRESULT get_DisplayBadge(VARIANT_BOOL* display) = 0;
    virtual HRESULT put_DisplayBadge(VARIANT_BOOL display) = 0;
    virtual HRESULT get_ImageName(BSTR* name) = 0;
    virtual HRESULT SetImage(BSTR imageName, LONG width, LONG height) = 0;
    virtual HRESULT get_BadgeLocYMax(LONG* y) = 0;
    virtual HRESULT get_BadgeLocXMax(LONG* x) = 0;
    virtual HRESULT get_LogoResolution(LOGO_RES_TYPE* resolution) = 0;

protected:
    ~IFlexLogoModule() = default;
};

// The optional BIOS modules of a workspace: the flash part, the selection and the update file.
struct IFlex : IUnknown {
    static constexpr IID iid{
        0x383B69C7, 0x5CF7, 0x4D6A, {0xAA, 0x7C, 0x34, 0xBE, 0x5C, 0x7D, 0xFF, 0x92}};
    virtual HRESULT get_FlashPartSize(LONG* bytes) = 0;
    virtual HRESULT put_FlashPartSize(LONG bytes) = 0;
    virtual HRESULT get_ValidUpdate(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_MaxOptionalModuleSpace(LONG* bytes) = 0;
    virtual HRESULT get_BiosFileVersion(BSTR* version) = 0;
    virtual HRESULT get_OptionalModuleList(IFlexModuleList** list) = 0;
    virtual HRESULT CreateBiosUpdateFile(BSTR fileName) = 0;
    virtual HRESULT RestoreHalvexDefaults() = 0;
    virtual HRESULT get_ModweaveVersionStr(BSTR* version) = 0;
    virtual HRESULT get_CurrentOptionalModuleSpace(LONG* bytes) = 0;
    virtual HRESULT get_NumOptionalModuleBytesSelected(LONG* bytes) = 0;

protected:
    ~IFlex() = default;
};

// The system information report of a workspace, written as a text file.
struct IReport : IUnknown {
    static constexpr IID iid{
        0xC2464984, 0x5A4B, 0x4317, {0xA1, 0xDA, 0xC5, 0x9C, 0x31, 0x75, 0x90, 0x7B}};
    // The sections of the subsystems in the mask, in a fixed order whatever the bits' order.
    virtual HRESULT GenerateReport(BSTR fileName, LONG subsystemMask) = 0;

protected:
    ~IReport() = default;
};

// One customisation of one BIOS build.
struct IWorkspace : IUnknown {
    static constexpr IID iid{
        0x00967131, 0x0D07, 0x4DE8, {0xBF, 0xA7, 0xEF, 0xBD, 0xD0, 0xCE, 0xD5, 0x9F}};
    virtual HRESULT DumpIni(BSTR fileName, LONG subsysMask, LONG subsysEncryptMask) = 0;
    virtual HRESULT get_Cmos(ICmos** cmos) = 0;
    virtual HRESULT get_SmbiosList(ISmbiosList** list) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_SubsystemMask(LONG* mask) = 0;
    virtual HRESULT InitSubsystems(LONG subsysMask, BSTR mapFile) = 0;
    virtual HRESULT get_MapFileInUse(VARIANT_BOOL* inUse) = 0;
    virtual HRESULT get_Therm(ITherm** therm) = 0;
    virtual HRESULT get_Report(IReport** report) = 0;
    virtual HRESULT get_BIOSBuildDate(BSTR* date) = 0;
    virtual HRESULT get_BIOSVersion(BSTR* version) = 0;
    virtual HRESULT get_BIOSID(BSTR* id) = 0;
    virtual HRESULT get_IniFilePath(BSTR* path) = 0;
    virtual HRESULT get_MapFilePath(BSTR* path) = 0;
    virtual HRESULT get_RequiresSave(VARIANT_BOOL* requiresSave) = 0;
    virtual HRESULT DumpBatchToFloppy(BSTR dir, BSTR baseFileName, BSTR biosName, BSTR langPackName,
                                      LONG subsysMask, LONG commandMask) = 0;
    virtual HRESULT DumpIniToFloppy(BSTR dir, BSTR baseFileName, LONG subsysMask) = 0;
    virtual HRESULT get_LangPackName(BSTR* name) = 0;
    virtual HRESULT ModifyAutoexecBatFile(BSTR dir) = 0;
    virtual HRESULT get_Flex(IFlex** flex) = 0;
    virtual HRESULT IsFlexAvailable(VARIANT_BOOL* available) = 0;

protected:
    ~IWorkspace() = default;
};

// The engine's root object: creates, opens, saves, changes, updates and closes the workspace.
struct IServer : IUnknown {
    static constexpr IID iid{
        0xBDF56E22, 0x9188, 0x446D, {0x83, 0x4D, 0xCE, 0x97, 0xA5, 0x9D, 0x45, 0xE0}};
    virtual HRESULT ReadBiosID(BSTR biosFile, BSTR* id) = 0;
    virtual HRESULT get_Version(BSTR* version) = 0;
    virtual HRESULT OpenWorkspace(BSTR fileName, IWorkspace** workspace) = 0;
    virtual HRESULT NewWorkspace(LONG subsystemMask, BSTR mapFile, IWorkspace** workspace) = 0;
    virtual HRESULT SaveWorkspace(IWorkspace* workspace, BSTR fileName) = 0;
    virtual HRESULT get_AvailableSubSystems(LONG* mask) = 0;
    virtual HRESULT CloseWorkspace(IWorkspace* workspace) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_SUB_SYS_MASK_CMOS(LONG* mask) = 0;
    virtual HRESULT get_SUB_SYS_MASK_SMBIOS(LONG* mask) = 0;
    virtual HRESULT get_SUB_SYS_MASK_ENVCTL(LONG* mask) = 0;
    virtual HRESULT get_SUB_SYS_MASK_SPLASH(LONG* mask) = 0;
    virtual HRESULT get_SUB_SYS_MASK_BOM(LONG* mask) = 0;
    virtual HRESULT ChangeWorkspace(IWorkspace* workspace, LONG subsystemMask) = 0;
    virtual HRESULT UpdateWorkspace(IWorkspace* workspace, BSTR fileName) = 0;
    virtual HRESULT get_SUB_SYS_MASK_FLEX(LONG* mask) = 0;
    virtual HRESULT get_ModweaveVersion(BSTR* version) = 0;
    // S_FALSE (not modular) when the map file's flash image exists but cannot be read whole;
    // the error info names the file and what is wrong.
    virtual HRESULT IsFlexBios(BSTR mapFile, VARIANT_BOOL* isFlex) = 0;

protected:
    ~IServer() = default;
};
