// The thermal and SMBIOS subsystems through the registered engine: the INI sections a workspace
// writes, the workspace file round trip and the removal and return of a component.
#include "tests/engine/core/engine_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace cvk::testing {
namespace {

constexpr char kThermalSections[] = "[Therm.ZoneA]\r\n"
                                    "TempLow(Celsius)=0\r\n"
                                    "TempDelta(Celsius)=5\r\n"
                                    "TempAllOn(Celsius)=0\r\n"
                                    "ResponseTime(Seconds)=0\r\n"
                                    "[Therm.ZoneB]\r\n"
                                    "TempLow(Celsius)=0\r\n"
                                    "TempDelta(Celsius)=5\r\n"
                                    "DutyZeroDelta(Celsius)=0\r\n"
                                    "TempAllOn(Celsius)=0\r\n"
                                    "[Therm.ZoneC]\r\n"
                                    "TempLow(Celsius)=0\r\n"
                                    "TempDelta(Celsius)=5\r\n"
                                    "DutyZeroDelta(Celsius)=0\r\n"
                                    "TempAllOn(Celsius)=0\r\n"
                                    "[Therm.FanD]\r\n"
                                    "DutyLow(%)=100\r\n"
                                    "[Therm.FanE/FanF]\r\n"
                                    "Mapping=FullDuty\r\n"
                                    "DutyLow(%)=0\r\n"
                                    "[Therm.FanG]\r\n"
                                    "Mapping=FullDuty\r\n"
                                    "DutyLow(%)=0\r\n";

// The setting at a path of group names below the root, through the interfaces.
ComPtr<IThermSetting> ThermSetting(IWorkspace* workspace, const std::vector<std::u16string>& path,
                                   std::u16string_view name) {
    ComPtr<ITherm> therm;
    ComPtr<IThermGroup> group;
    if (FAILED(workspace->get_Therm(therm.put())) || FAILED(therm->get_DataTree(group.put())))
        return {};
    for (const std::u16string& wanted : path) {
        ComPtr<IThermGroupList> children;
        ComPtr<IThermGroup> child;
        if (FAILED(group->get_ChildList(children.put())))
            return {};
        for (children->GetFirst(child.put()); child; children->GetNext(child.put())) {
            Bstr text;
            child->get_Name(text.put());
            if (text.view() == wanted)
                break;
        }
        if (!child)
            return {};
        group = child;
    }
    ComPtr<IThermSettingList> settings;
    ComPtr<IThermSetting> setting;
    if (FAILED(group->get_SettingList(settings.put())))
        return {};
    for (settings->GetFirst(setting.put()); setting; settings->GetNext(setting.put())) {
        Bstr text;
        setting->get_Name(text.put());
        if (text.view() == name)
            return setting;
    }
    return {};
}

ComPtr<ISmbiosNode> SmbiosNodeAt(IWorkspace* workspace, int index) {
    ComPtr<ISmbiosList> list;
    ComPtr<ISmbiosNode> node;
    if (FAILED(workspace->get_SmbiosList(list.put())))
        return {};
    list->GetFirst(node.put());
    for (int i = 0; i < index && node; ++i)
        list->GetNext(node.put());
    return node;
}

VARTYPE TypeOf(IThermSetting* setting, std::u16string* text = nullptr) {
    VARIANT value;
    if (FAILED(setting->get_Value(&value)))
        return 0xFFFF;
    Variant held = Variant::Attach(&value);
    if (text)
        held.ToText(text);
    return held.vt();
}

using SubsystemsWorkspaceTest = EngineTest;

TEST_F(SubsystemsWorkspaceTest, FreshWorkspaceDumpsTheThermalDefaults) {
    auto workspace = NewWorkspace(SUBSYS_ENVCTL | SUBSYS_SMBIOS, WriteMap("board.cvk"));
    const std::string ini = PathOf("therm.ini");
    ASSERT_EQ(workspace->DumpIni(Bstr::FromUtf8(ini).get(), SUBSYS_ENVCTL, 0), S_OK);
    const std::string text = ReadFile(ini);
    const std::string tail = std::string("[System]\r\nINIVersion=2.1\r\n") + kThermalSections;
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

    // With both, the SMBIOS section follows the thermal ones.
    ComPtr<ISmbiosNode> serial = SmbiosNodeAt(workspace.get(), 3);
    serial->put_Prompt(VARIANT_TRUE);
    Bstr prompt(u"Enter the serial number");
    serial->put_Value(prompt.get());
    ASSERT_EQ(workspace->DumpIni(Bstr::FromUtf8(ini).get(), SUBSYS_ENVCTL | SUBSYS_SMBIOS, 0),
              S_OK);
    const std::string both = ReadFile(ini);
    const std::size_t fanG = both.find("[Therm.FanG]");
    const std::size_t smbios = both.find("[SMBIOS.Values]");
    ASSERT_NE(fanG, std::string::npos);
    ASSERT_NE(smbios, std::string::npos);
    EXPECT_LT(fanG, smbios);
    EXPECT_NE(both.find("SystemSerialNum=$PROMPT$, Enter the serial number\r\n"),
              std::string::npos);
}

TEST_F(SubsystemsWorkspaceTest, ValuesTypesAndPromptsSurviveSaveAndReopen) {
    auto workspace = NewWorkspace(SUBSYS_ENVCTL | SUBSYS_SMBIOS, WriteMap("board.cvk"));
    // The edit a user types: text, converted by the engine to the setting's type.
    ComPtr<IThermSetting> delta =
        ThermSetting(workspace.get(), {u"Zones", u"Zone A"}, u"TempDelta (Celsius)");
    ASSERT_TRUE(delta);
    ASSERT_EQ(delta->put_Value(Variant::FromText(u"13.33").get()), S_OK);
    ComPtr<IThermSetting> dutyLow =
        ThermSetting(workspace.get(), {u"Fans", u"Fan D"}, u"DutyLow (%)");
    ASSERT_EQ(dutyLow->put_Value(Variant::FromText(u"75").get()), S_OK);
    ComPtr<ISmbiosNode> product = SmbiosNodeAt(workspace.get(), 1);
    product->put_Prompt(VARIANT_TRUE);
    Bstr question(u"Enter the product name");
    product->put_Value(question.get());
    Bstr maker(u"Halvex");
    SmbiosNodeAt(workspace.get(), 0)->put_Value(maker.get());

    const std::string file = Save(workspace.get(), "edited.cvw");
    workspace = nullptr;
    server()->CloseWorkspace(nullptr);
    ComPtr<IWorkspace> reopened;
    ASSERT_EQ(Open(file, &reopened), S_OK);
    VARIANT_BOOL dirty = VARIANT_TRUE;
    reopened->get_RequiresSave(&dirty);
    EXPECT_EQ(dirty, VARIANT_FALSE);

    std::u16string text;
    delta = ThermSetting(reopened.get(), {u"Zones", u"Zone A"}, u"TempDelta (Celsius)");
    EXPECT_EQ(TypeOf(delta.get(), &text), VT_R4);
    EXPECT_EQ(text, u"13.33");
    dutyLow = ThermSetting(reopened.get(), {u"Fans", u"Fan D"}, u"DutyLow (%)");
    EXPECT_EQ(TypeOf(dutyLow.get(), &text), VT_I4);
    EXPECT_EQ(text, u"75");
    product = SmbiosNodeAt(reopened.get(), 1);
    VARIANT_BOOL prompt = VARIANT_FALSE;
    product->get_Prompt(&prompt);
    EXPECT_EQ(prompt, VARIANT_TRUE);
    Bstr value;
    product->get_Value(value.put());
    EXPECT_EQ(value.view(), u"Enter the product name");
    SmbiosNodeAt(reopened.get(), 0)->get_Value(value.put());
    EXPECT_EQ(value.view(), u"Halvex");

    // An edit after reopening is an unsaved change.
    ASSERT_EQ(delta->put_Value(Variant::FromR8(40).get()), S_OK);
    EXPECT_EQ(TypeOf(delta.get()), VT_R4);
    reopened->get_RequiresSave(&dirty);
    EXPECT_EQ(dirty, VARIANT_TRUE);
}

TEST_F(SubsystemsWorkspaceTest, RemovingSmbiosClearsItAndAddingBackShowsItEmpty) {
    const LONG both = SUBSYS_ENVCTL | SUBSYS_SMBIOS;
    auto workspace = NewWorkspace(both, WriteMap("board.cvk"));
    ComPtr<ISmbiosNode> node = SmbiosNodeAt(workspace.get(), 5);
    node->put_Prompt(VARIANT_TRUE);
    Bstr text(u"Enter the chassis version");
    node->put_Value(text.get());
    ComPtr<IThermSetting> mapping = ThermSetting(workspace.get(), {u"Fans", u"Fan G"}, u"Mapping");
    ASSERT_EQ(mapping->put_Value(Variant::FromText(u"ZoneC").get()), S_OK);

    ASSERT_EQ(server()->ChangeWorkspace(workspace.get(), 0), S_OK);
    ComPtr<ISmbiosList> list;
    EXPECT_EQ(workspace->get_SmbiosList(list.put()), E_ACCESSDENIED);
    ASSERT_EQ(server()->ChangeWorkspace(workspace.get(), both), S_OK);

    node = SmbiosNodeAt(workspace.get(), 5);
    ASSERT_TRUE(node);
    Bstr value;
    node->get_Value(value.put());
    EXPECT_EQ(value.view(), u"");
    VARIANT_BOOL prompt = VARIANT_TRUE;
    node->get_Prompt(&prompt);
    EXPECT_EQ(prompt, VARIANT_FALSE);
    std::u16string current;
    TypeOf(mapping.get(), &current);
    EXPECT_EQ(current, u"FullDuty");
}

} // namespace
} // namespace cvk::testing
