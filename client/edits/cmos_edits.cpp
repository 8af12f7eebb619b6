// CMOS setting search and edits over ICmos and its nodes.
#include "client/edits/cmos_edits.h"

#include "client/edits/edit_support.h"
#include "client/edits/thermal_smbios_edits.h"
#include "client/engine_lists.h"
#include "platform/com/bstr.h"

#include <cstdio>
#include <functional>

namespace cvkedit {
namespace {

using cvk::Bstr;
using cvk::ComPtr;

constexpr char kLockLimit[] = "The maximum number of lock-able settings reached, please unlock "
                              "a different setting to lock this setting.";
constexpr char kHideLimit[] = "The maximum number of hide-able settings reached, please unhide "
                              "a different setting to hide this setting.";

template <class Node> HRESULT NameOf(Node* node, std::string* name) {
    Bstr text;
    CVK_RETURN_IF_FAILED(node->get_Name(text.put()));
    *name = text.utf8();
    return S_OK;
}

HRESULT ChildGroups(IGroupNode* group, std::vector<ComPtr<IGroupNode>>* children) {
    children->clear();
    VARIANT_BOOL has = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(group->get_HasChildren(&has));
    if (!has)
        return S_OK;
    ComPtr<IGroupList> list;
    CVK_RETURN_IF_FAILED(group->get_ChildList(list.put()));
    return CollectItems(list.get(), children);
}

HRESULT Settings(IGroupNode* group, std::vector<ComPtr<ISettingNode>>* settings) {
    settings->clear();
    VARIANT_BOOL has = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(group->get_HasSettings(&has));
    if (!has)
        return S_OK;
    ComPtr<ISettingList> list;
    CVK_RETURN_IF_FAILED(group->get_SettingList(list.put()));
    return CollectItems(list.get(), settings);
}

// Visits every setting in tree order (a group's settings, then its child groups) with the group
// names leading to it; stops when the visitor returns true.
using SettingVisitor = std::function<bool(ISettingNode*, const std::vector<std::string>& groups)>;

HRESULT VisitSettings(IGroupNode* group, std::vector<std::string>* groups,
                      const SettingVisitor& visit, bool* stopped) {
    std::vector<ComPtr<ISettingNode>> settings;
    CVK_RETURN_IF_FAILED(Settings(group, &settings));
    for (const ComPtr<ISettingNode>& setting : settings)
        if ((*stopped = visit(setting.get(), *groups)))
            return S_OK;
    std::vector<ComPtr<IGroupNode>> children;
    CVK_RETURN_IF_FAILED(ChildGroups(group, &children));
    for (const ComPtr<IGroupNode>& child : children) {
        std::string name;
        CVK_RETURN_IF_FAILED(NameOf(child.get(), &name));
        groups->push_back(name);
        CVK_RETURN_IF_FAILED(VisitSettings(child.get(), groups, visit, stopped));
        groups->pop_back();
        if (*stopped)
            return S_OK;
    }
    return S_OK;
}

HRESULT VisitTree(ICmos* cmos, const SettingVisitor& visit) {
    ComPtr<IGroupNode> root;
    CVK_RETURN_IF_FAILED(cmos->get_DataTree(root.put()));
    if (!root)
        return E_FAIL;
    std::vector<std::string> groups;
    bool stopped = false;
    return VisitSettings(root.get(), &groups, visit, &stopped);
}

std::string KeywordOf(ISettingNode* setting) {
    Bstr keyword;
    return SUCCEEDED(setting->get_BiosKeyword(keyword.put())) ? keyword.utf8() : std::string();
}

HRESULT CheckLimit(HRESULT (ICmos::*current)(LONG*), HRESULT (ICmos::*maximum)(LONG*), ICmos* cmos,
                   const char* message) {
    LONG count = 0, limit = 0;
    CVK_RETURN_IF_FAILED((cmos->*current)(&count));
    CVK_RETURN_IF_FAILED((cmos->*maximum)(&limit));
    return count + 1 > limit ? Refuse(message) : S_OK;
}

} // namespace

std::string SettingAddress::Describe() const {
    return path.empty() ? keyword : JoinPath(path);
}

SettingAddress ParseSettingAddress(const std::string& text) {
    SettingAddress address;
    address.keyword = text;
    address.path = SplitPath(text);
    return address;
}

HRESULT GetCmos(IWorkspace* workspace, ComPtr<ICmos>* cmos) {
    LONG mask = 0;
    CVK_RETURN_IF_FAILED(workspace->get_SubsystemMask(&mask));
    if (!(mask & SUBSYS_CMOS))
        return Refuse("the workspace has no CMOS settings (component cmos)", E_ACCESSDENIED);
    return workspace->get_Cmos(cmos->put());
}

HRESULT FindSetting(ICmos* cmos, const SettingAddress& address, ComPtr<ISettingNode>* setting) {
    *setting = ComPtr<ISettingNode>();
    // A keyword first: keywords hold no "/", and a name given as one word may still be a
    // setting of the root group.
    if (!address.keyword.empty()) {
        CVK_RETURN_IF_FAILED(VisitTree(cmos, [&](ISettingNode* node, const auto&) {
            if (KeywordOf(node) != address.keyword)
                return false;
            *setting = ComPtr<ISettingNode>(node);
            return true;
        }));
        if (*setting)
            return S_OK;
    }
    if (!address.path.empty()) {
        // Compared joined, so that a command-line path finds names that hold a "/" themselves
        // ("PCI/PnP Configuration").
        const std::string wanted = JoinPath(address.path);
        CVK_RETURN_IF_FAILED(VisitTree(cmos, [&](ISettingNode* node, const auto& at) {
            std::vector<std::string> path = at;
            path.emplace_back();
            if (FAILED(NameOf(node, &path.back())) || JoinPath(path) != wanted)
                return false;
            *setting = ComPtr<ISettingNode>(node);
            return true;
        }));
        if (*setting)
            return S_OK;
    }
    return Refuse("no CMOS setting \"" + address.Describe() + "\"", E_INVALIDARG);
}

HRESULT SelectChoice(ISettingNode* setting, const std::string& given) {
    std::string wanted = given;
    if (!wanted.empty() && wanted.back() == '*')
        wanted.pop_back();
    ComPtr<IChoiceList> list;
    CVK_RETURN_IF_FAILED(setting->get_ChoiceList(list.put()));
    std::vector<ComPtr<IChoiceNode>> choices;
    CVK_RETURN_IF_FAILED(CollectItems(list.get(), &choices));
    std::string offered;
    for (const ComPtr<IChoiceNode>& choice : choices) {
        std::string name;
        CVK_RETURN_IF_FAILED(NameOf(choice.get(), &name));
        if (name == wanted)
            return setting->put_CurrentChoice(choice.get());
        offered += (offered.empty() ? "\"" : ", \"") + name + "\"";
    }
    return Refuse("no choice \"" + wanted + "\"; the choices are " +
                      (offered.empty() ? std::string("none") : offered),
                  E_INVALIDARG);
}

void WarnIfPastCmosImage(ISettingNode* setting, const std::string& name) {
    constexpr LONG kImageBits = 256 * 8;
    LONG offset = 0;
    if (SUCCEEDED(setting->get_BitOffset(&offset)) && offset >= kImageBits)
        std::fprintf(stderr,
                     "cvk: warning: the CMOS setting \"%s\" lies at bit %d, past the %d bits of "
                     "the CMOS image: its choice is kept in the workspace but never reaches the "
                     "image\n",
                     name.c_str(), static_cast<int>(offset), static_cast<int>(kImageBits));
}

HRESULT SetLocked(ICmos* cmos, ISettingNode* setting, bool locked) {
    VARIANT_BOOL now = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(setting->get_Locked(&now));
    if (locked && !now)
        CVK_RETURN_IF_FAILED(CheckLimit(&ICmos::get_CurNumLockSettings,
                                        &ICmos::get_MaxNumLockSettings, cmos, kLockLimit));
    return setting->put_Locked(locked ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT SetHidden(ICmos* cmos, ISettingNode* setting, bool hidden) {
    VARIANT_BOOL now = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(setting->get_Hidden(&now));
    if (hidden && !now)
        CVK_RETURN_IF_FAILED(CheckLimit(&ICmos::get_CurNumHideSettings,
                                        &ICmos::get_MaxNumHideSettings, cmos, kHideLimit));
    return setting->put_Hidden(hidden ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT ListSettingsForReview(ICmos* cmos, std::vector<std::string>* lines) {
    lines->clear();
    HRESULT failed = S_OK;
    CVK_RETURN_IF_FAILED(VisitTree(cmos, [&](ISettingNode* node, const auto& groups) {
        VARIANT_BOOL review = VARIANT_FALSE;
        std::string name;
        failed = node->get_NeedsReview(&review);
        if (SUCCEEDED(failed))
            failed = NameOf(node, &name);
        if (FAILED(failed))
            return true;
        if (review) {
            std::vector<std::string> path = groups;
            path.push_back(name);
            const std::string keyword = KeywordOf(node);
            lines->push_back(JoinPath(path) + (keyword.empty() ? "" : " (" + keyword + ")"));
        }
        return false;
    }));
    return failed;
}

} // namespace cvkedit
