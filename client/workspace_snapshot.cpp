// Reading a workspace into plain values through the engine's public interfaces.
#include "client/workspace_snapshot.h"

#include "client/engine_lists.h"
#include "client/module_type.h"
#include "platform/com/bstr.h"
#include "platform/com/runtime.h"
#include "platform/text/codepage.h"

namespace cvkclient {
namespace {

using cvk::Bstr;
using cvk::ComPtr;

template <class Node> HRESULT TextOf(Node* node, HRESULT (Node::*getter)(BSTR*), std::string* out) {
    Bstr text;
    CVK_RETURN_IF_FAILED((node->*getter)(text.put()));
    *out = text.utf8();
    return S_OK;
}

template <class Node>
HRESULT FlagOf(Node* node, HRESULT (Node::*getter)(VARIANT_BOOL*), bool* out) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED((node->*getter)(&flag));
    *out = flag != VARIANT_FALSE;
    return S_OK;
}

// A choice the setting names (current or default) as an index into its list; -1 when the
// engine gives none. The engine hands out the list's own objects, so identity finds it.
int IndexOf(const std::vector<ComPtr<IChoiceNode>>& choices, IChoiceNode* wanted) {
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].get() == wanted)
            return static_cast<int>(i);
    return -1;
}

HRESULT ReadChoices(ISettingNode* node, CmosSetting* setting) {
    ComPtr<IChoiceList> list;
    CVK_RETURN_IF_FAILED(node->get_ChoiceList(list.put()));
    std::vector<ComPtr<IChoiceNode>> choices;
    CVK_RETURN_IF_FAILED(CollectItems(list.get(), &choices));
    for (const ComPtr<IChoiceNode>& choice : choices) {
        setting->choices.emplace_back();
        CVK_RETURN_IF_FAILED(
            TextOf(choice.get(), &IChoiceNode::get_Name, &setting->choices.back()));
        SHORT value = 0;
        CVK_RETURN_IF_FAILED(choice->get_CmosValue(&value));
        setting->values.push_back(value);
    }
    // A setting without answers has no current or default choice; the engine says so with a
    // failure that is no fault of the read.
    ComPtr<IChoiceNode> current, fallback;
    if (SUCCEEDED(node->get_CurrentChoice(current.put())))
        setting->currentChoice = IndexOf(choices, current.get());
    if (SUCCEEDED(node->get_DefaultChoice(fallback.put())))
        setting->defaultChoice = IndexOf(choices, fallback.get());
    SetErrorInfo(0, nullptr);
    return S_OK;
}

HRESULT ReadSetting(ISettingNode* node, const Path& groups, const std::string& parent,
                    CmosSetting* setting) {
    setting->groups = groups;
    setting->parent = parent;
    CVK_RETURN_IF_FAILED(TextOf(node, &ISettingNode::get_Name, &setting->name));
    CVK_RETURN_IF_FAILED(TextOf(node, &ISettingNode::get_BiosKeyword, &setting->keyword));
    CVK_RETURN_IF_FAILED(TextOf(node, &ISettingNode::get_HelpString, &setting->help));
    CVK_RETURN_IF_FAILED(FlagOf(node, &ISettingNode::get_Locked, &setting->locked));
    CVK_RETURN_IF_FAILED(FlagOf(node, &ISettingNode::get_Hidden, &setting->hidden));
    CVK_RETURN_IF_FAILED(FlagOf(node, &ISettingNode::get_NeedsReview, &setting->needsReview));
    CVK_RETURN_IF_FAILED(node->get_CmosTokenID(&setting->token));
    CVK_RETURN_IF_FAILED(node->get_BitOffset(&setting->bitOffset));
    return ReadChoices(node, setting);
}

// The types of the engine's two trees, the CMOS one and the thermal one.
template <class Group> struct TreeTypes;
template <> struct TreeTypes<IGroupNode> {
    using Setting = ISettingNode;
    using SettingList = ISettingList;
    using ChildList = IGroupList;
};
template <> struct TreeTypes<IThermGroup> {
    using Setting = IThermSetting;
    using SettingList = IThermSettingList;
    using ChildList = IThermGroupList;
};

// Walks a tree in the order of the engine's searches: a group's own settings, then its child
// groups, depth first. `visit(setting, groups)` is given the names of the groups below the root
// that lead to the setting; `enter(groups)` is told of every group below the root.
template <class Group, class Visit, class Enter>
HRESULT WalkTree(Group* group, Path* groups, const Visit& visit, const Enter& enter) {
    using Types = TreeTypes<Group>;
    VARIANT_BOOL has = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(group->get_HasSettings(&has));
    if (has) {
        ComPtr<typename Types::SettingList> list;
        CVK_RETURN_IF_FAILED(group->get_SettingList(list.put()));
        std::vector<ComPtr<typename Types::Setting>> settings;
        CVK_RETURN_IF_FAILED(CollectItems(list.get(), &settings));
        for (const auto& setting : settings)
            CVK_RETURN_IF_FAILED(visit(setting.get(), *groups));
    }
    CVK_RETURN_IF_FAILED(group->get_HasChildren(&has));
    if (!has)
        return S_OK;
    ComPtr<typename Types::ChildList> list;
    CVK_RETURN_IF_FAILED(group->get_ChildList(list.put()));
    std::vector<ComPtr<Group>> children;
    CVK_RETURN_IF_FAILED(CollectItems(list.get(), &children));
    for (const ComPtr<Group>& child : children) {
        groups->emplace_back();
        CVK_RETURN_IF_FAILED(TextOf(child.get(), &Group::get_Name, &groups->back()));
        enter(*groups);
        CVK_RETURN_IF_FAILED(WalkTree(child.get(), groups, visit, enter));
        groups->pop_back();
    }
    return S_OK;
}

HRESULT ReadCmos(IWorkspace* workspace, std::optional<CmosTree>* out) {
    ComPtr<ICmos> cmos;
    CVK_RETURN_IF_FAILED(workspace->get_Cmos(cmos.put()));
    if (!cmos)
        return S_OK;
    CmosTree& tree = out->emplace();
    CVK_RETURN_IF_FAILED(cmos->get_MaxNumLockSettings(&tree.maxLocked));
    CVK_RETURN_IF_FAILED(cmos->get_MaxNumHideSettings(&tree.maxHidden));
    ComPtr<IGroupNode> root;
    CVK_RETURN_IF_FAILED(cmos->get_DataTree(root.put()));
    if (!root)
        return S_OK;
    std::string rootName;
    CVK_RETURN_IF_FAILED(TextOf(root.get(), &IGroupNode::get_Name, &rootName));
    Path groups;
    // A group's own settings come right after the group is entered, before its children.
    int entered = -1;
    return WalkTree(
        root.get(), &groups,
        [&](ISettingNode* setting, const Path& path) {
            const std::string& parent = path.empty() ? rootName : path.back();
            CmosSetting& read = tree.settings.emplace_back();
            read.group = entered;
            return ReadSetting(setting, path, parent, &read);
        },
        [&](const Path& path) {
            tree.groups.push_back(path);
            entered = static_cast<int>(tree.groups.size()) - 1;
        });
}

HRESULT ReadSmbios(IWorkspace* workspace, std::vector<SmbiosValue>* out) {
    ComPtr<ISmbiosList> list;
    CVK_RETURN_IF_FAILED(workspace->get_SmbiosList(list.put()));
    std::vector<ComPtr<ISmbiosNode>> nodes;
    CVK_RETURN_IF_FAILED(CollectItems(list.get(), &nodes));
    for (const ComPtr<ISmbiosNode>& node : nodes) {
        SmbiosValue& value = out->emplace_back();
        CVK_RETURN_IF_FAILED(TextOf(node.get(), &ISmbiosNode::get_IniKeyword, &value.key));
        CVK_RETURN_IF_FAILED(TextOf(node.get(), &ISmbiosNode::get_DisplayName, &value.name));
        CVK_RETURN_IF_FAILED(TextOf(node.get(), &ISmbiosNode::get_Value, &value.value));
        CVK_RETURN_IF_FAILED(FlagOf(node.get(), &ISmbiosNode::get_Prompt, &value.prompt));
    }
    return S_OK;
}

HRESULT ReadThermSetting(IThermSetting* setting, const Path& groups, ThermalValue* out) {
    out->path = groups;
    out->path.emplace_back();
    CVK_RETURN_IF_FAILED(TextOf(setting, &IThermSetting::get_Name, &out->path.back()));
    cvk::Variant value;
    CVK_RETURN_IF_FAILED(setting->get_Value(value.put()));
    std::u16string text;
    CVK_RETURN_IF_FAILED(value.ToText(&text));
    out->value = cvk::text::Utf16ToUtf8(text);
    // A description is optional: a setting without one answers with a failure.
    if (FAILED(TextOf(setting, &IThermSetting::get_Description, &out->description)))
        out->description.clear();
    SetErrorInfo(0, nullptr);
    return S_OK;
}

HRESULT ReadThermal(IWorkspace* workspace, std::vector<ThermalValue>* out) {
    ComPtr<ITherm> therm;
    CVK_RETURN_IF_FAILED(workspace->get_Therm(therm.put()));
    if (!therm)
        return S_OK;
    ComPtr<IThermGroup> root;
    CVK_RETURN_IF_FAILED(therm->get_DataTree(root.put()));
    if (!root)
        return S_OK;
    Path groups;
    return WalkTree(
        root.get(), &groups,
        [&](IThermSetting* setting, const Path& path) {
            return ReadThermSetting(setting, path, &out->emplace_back());
        },
        [](const Path&) {});
}

HRESULT ReadLogo(IFlexModule* module, LogoInfo* logo) {
    ComPtr<IFlexLogoModule> picture;
    CVK_RETURN_IF_FAILED(module->QueryInterface(IFlexLogoModule::iid, picture.put_void()));
    CVK_RETURN_IF_FAILED(module->get_Handle(&logo->handle));
    CVK_RETURN_IF_FAILED(TextOf(picture.get(), &IFlexLogoModule::get_ImageName, &logo->image));
    CVK_RETURN_IF_FAILED(
        FlagOf(picture.get(), &IFlexLogoModule::get_DisplayBadge, &logo->displayBadge));
    CVK_RETURN_IF_FAILED(picture->get_BadgeLocX(&logo->badgeX));
    return picture->get_BadgeLocY(&logo->badgeY);
}

HRESULT ReadModule(IFlexModule* module, ModuleInfo* info) {
    CVK_RETURN_IF_FAILED(module->get_Handle(&info->handle));
    CVK_RETURN_IF_FAILED(TextOf(module, &IFlexModule::get_ShortDescription, &info->name));
    MODULE_TYPE type = CVK_MOD_TYPE_NORMAL;
    CVK_RETURN_IF_FAILED(module->get_Type(&type));
    info->type = ModuleTypeName(type);
    CVK_RETURN_IF_FAILED(module->get_Size(&info->size));
    CVK_RETURN_IF_FAILED(FlagOf(module, &IFlexModule::get_InUpdate, &info->in));
    CVK_RETURN_IF_FAILED(FlagOf(module, &IFlexModule::get_Default, &info->isDefault));
    return FlagOf(module, &IFlexModule::get_Required, &info->required);
}

HRESULT ReadFlex(IWorkspace* workspace, WorkspaceSnapshot* snapshot) {
    ComPtr<IFlex> flex;
    CVK_RETURN_IF_FAILED(workspace->get_Flex(flex.put()));
    if (!flex)
        return S_OK;
    CVK_RETURN_IF_FAILED(flex->get_FlashPartSize(&snapshot->flashPartSize));
    ComPtr<IFlexModuleList> list;
    CVK_RETURN_IF_FAILED(flex->get_OptionalModuleList(list.put()));
    if (!list)
        return S_OK;
    std::vector<ComPtr<IFlexModule>> modules;
    CVK_RETURN_IF_FAILED(CollectItems(list.get(), &modules));
    auto& infos = snapshot->modules.emplace();
    for (const ComPtr<IFlexModule>& module : modules) {
        CVK_RETURN_IF_FAILED(ReadModule(module.get(), &infos.emplace_back()));
        if (std::string_view(infos.back().type) == "logo" && !snapshot->logo)
            CVK_RETURN_IF_FAILED(ReadLogo(module.get(), &snapshot->logo.emplace()));
    }
    return S_OK;
}

} // namespace

Path CmosSetting::FullPath() const {
    Path path = groups;
    path.push_back(name);
    return path;
}

const std::string* CmosSetting::Current() const {
    return currentChoice < 0 ? nullptr : &choices[currentChoice];
}

const std::string* CmosSetting::Default() const {
    return defaultChoice < 0 ? nullptr : &choices[defaultChoice];
}

HRESULT ReadCmosTree(IWorkspace* workspace, std::optional<CmosTree>* tree) {
    return ReadCmos(workspace, tree);
}

HRESULT ReadWorkspace(IWorkspace* workspace, WorkspaceSnapshot* snapshot) {
    *snapshot = {};
    CVK_RETURN_IF_FAILED(TextOf(workspace, &IWorkspace::get_BIOSID, &snapshot->id.biosId));
    CVK_RETURN_IF_FAILED(TextOf(workspace, &IWorkspace::get_BIOSVersion, &snapshot->id.version));
    CVK_RETURN_IF_FAILED(
        TextOf(workspace, &IWorkspace::get_BIOSBuildDate, &snapshot->id.buildDate));
    CVK_RETURN_IF_FAILED(TextOf(workspace, &IWorkspace::get_MapFilePath, &snapshot->mapFile));
    CVK_RETURN_IF_FAILED(workspace->get_SubsystemMask(&snapshot->mask));
    if (snapshot->mask & SUBSYS_CMOS)
        CVK_RETURN_IF_FAILED(ReadCmos(workspace, &snapshot->cmos));
    if (snapshot->mask & SUBSYS_SMBIOS)
        CVK_RETURN_IF_FAILED(ReadSmbios(workspace, &snapshot->smbios));
    if (snapshot->mask & SUBSYS_ENVCTL)
        CVK_RETURN_IF_FAILED(ReadThermal(workspace, &snapshot->thermal));
    if (snapshot->mask & SUBSYS_FLEX)
        CVK_RETURN_IF_FAILED(ReadFlex(workspace, snapshot));
    return S_OK;
}

namespace {

// Reads the workspace and closes it whatever the read gave.
HRESULT ReadAndClose(IServer* server, IWorkspace* workspace, WorkspaceSnapshot* snapshot) {
    const HRESULT read = ReadWorkspace(workspace, snapshot);
    const HRESULT closed = server->CloseWorkspace(workspace);
    return FAILED(read) ? read : closed;
}

} // namespace

HRESULT ReadMapFile(IServer* server, const std::string& mapFile, WorkspaceSnapshot* snapshot) {
    const Bstr file = Bstr::FromUtf8(mapFile);
    VARIANT_BOOL flex = VARIANT_FALSE;
    if (FAILED(server->IsFlexBios(file.get(), &flex)))
        flex = VARIANT_FALSE;
    SetErrorInfo(0, nullptr);
    const LONG mask = SUBSYS_CMOS | (flex ? SUBSYS_FLEX : 0);
    return ReadFreshWorkspace(server, mapFile, mask, snapshot);
}

HRESULT ReadFreshWorkspace(IServer* server, const std::string& mapFile, LONG mask,
                           WorkspaceSnapshot* snapshot) {
    ComPtr<IWorkspace> workspace;
    CVK_RETURN_IF_FAILED(
        server->NewWorkspace(mask, Bstr::FromUtf8(mapFile).get(), workspace.put()));
    return ReadAndClose(server, workspace.get(), snapshot);
}

HRESULT CreateServerAside(ComPtr<IServer>* server) {
    return CoCreateInstance(CLSID_Server, nullptr, CLSCTX_INPROC_SERVER, IServer::iid,
                            server->put_void());
}

HRESULT ReadFreshWorkspaceAside(const std::string& mapFile, LONG mask,
                                WorkspaceSnapshot* snapshot) {
    ComPtr<IServer> server;
    CVK_RETURN_IF_FAILED(CreateServerAside(&server));
    return ReadFreshWorkspace(server.get(), mapFile, mask, snapshot);
}

HRESULT ReadMapFileAside(const std::string& mapFile, WorkspaceSnapshot* snapshot) {
    ComPtr<IServer> server;
    CVK_RETURN_IF_FAILED(CreateServerAside(&server));
    return ReadMapFile(server.get(), mapFile, snapshot);
}

HRESULT ReadWorkspaceFile(IServer* server, const std::string& file, WorkspaceSnapshot* snapshot) {
    ComPtr<IWorkspace> workspace;
    CVK_RETURN_IF_FAILED(server->OpenWorkspace(Bstr::FromUtf8(file).get(), workspace.put()));
    return ReadAndClose(server, workspace.get(), snapshot);
}

std::u16string FoldCase(std::u16string_view text) {
    return cvk::text::FoldCase(text);
}

std::u16string FoldCase(const std::string& utf8) {
    return FoldCase(cvk::text::Utf8ToUtf16(utf8));
}

} // namespace cvkclient
