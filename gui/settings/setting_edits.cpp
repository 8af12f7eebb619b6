// The recorded edits of the settings lists.
#include "gui/settings/setting_edits.h"

#include "gui/common/engine_call.h"
#include "gui/document/cvk_doc.h"

#include <utility>

namespace {

CmosSettingState StateOf(const cvk::ComPtr<ISettingNode>& setting) {
    CmosSettingState state;
    state.setting = setting;
    state.choice = CurrentChoiceOf(setting.get());
    if (state.choice)
        state.choiceName = GetText(state.choice.get(), &IChoiceNode::get_Name);
    state.locked = GetBool(setting.get(), &ISettingNode::get_Locked);
    state.hidden = GetBool(setting.get(), &ISettingNode::get_Hidden);
    state.review = GetBool(setting.get(), &ISettingNode::get_NeedsReview);
    return state;
}

bool SameState(const CmosSettingState& a, const CmosSettingState& b) {
    return a.setting.get() == b.setting.get() && a.choiceName == b.choiceName &&
           a.locked == b.locked && a.hidden == b.hidden && a.review == b.review;
}

void CaptureGroup(IGroupNode* group, CmosState* state) {
    if (GetBool(group, &IGroupNode::get_HasSettings)) {
        cvk::ComPtr<ISettingList> settings = GetObject(group, &IGroupNode::get_SettingList);
        if (settings)
            ForEachInList(settings.get(), &ISettingList::GetFirst, &ISettingList::GetNext,
                          [&](const cvk::ComPtr<ISettingNode>& setting) {
                              state->push_back(StateOf(setting));
                          });
    }
    if (!GetBool(group, &IGroupNode::get_HasChildren))
        return;
    cvk::ComPtr<IGroupList> children = GetObject(group, &IGroupNode::get_ChildList);
    if (children)
        ForEachInList(
            children.get(), &IGroupList::GetFirst, &IGroupList::GetNext,
            [&](const cvk::ComPtr<IGroupNode>& child) { CaptureGroup(child.get(), state); });
}

// Puts a setting's choice, marks and review flag back. Lock and hide exclude each other in the
// engine, so the mark that goes is taken off before the one that comes is put on.
void Restore(const CmosSettingState& state) {
    ISettingNode* setting = state.setting.get();
    if (state.choice)
        ThrowIfFailed(setting->put_CurrentChoice(state.choice.get()));
    if (!state.locked)
        ThrowIfFailed(setting->put_Locked(VARIANT_FALSE));
    if (!state.hidden)
        ThrowIfFailed(setting->put_Hidden(VARIANT_FALSE));
    if (state.locked)
        ThrowIfFailed(setting->put_Locked(VARIANT_TRUE));
    if (state.hidden)
        ThrowIfFailed(setting->put_Hidden(VARIANT_TRUE));
    ThrowIfFailed(setting->put_NeedsReview(ToVariantBool(state.review)));
}

void Restore(const CmosState& state) {
    for (const CmosSettingState& setting : state)
        Restore(setting);
}

// Only what differs is put: a value is cut to the limit of the prompt flag it is put under,
// and one that was not edited need not meet the other flag's limit.
void Restore(const SmbiosState& state) {
    ISmbiosNode* node = state.node.get();
    if (GetBool(node, &ISmbiosNode::get_Prompt) != state.prompt)
        ThrowIfFailed(node->put_Prompt(ToVariantBool(state.prompt)));
    if (GetText(node, &ISmbiosNode::get_Value) != state.value)
        ThrowIfFailed(node->put_Value(ToBstr(state.value).get()));
}

void Restore(const ThermState& state) {
    ThrowIfFailed(state.setting->put_Value(state.value.get()));
}

template <class State> void Record(CCvkDoc* doc, const QString& name, State before, State after) {
    doc->history()->Record(
        name, [before = std::move(before)] { Restore(before); },
        [after = std::move(after)] { Restore(after); });
}

} // namespace

CmosState CaptureSetting(ISettingNode* setting) {
    return {StateOf(cvk::ComPtr<ISettingNode>(setting))};
}

CmosState CaptureCmos(ICmos* cmos) {
    CmosState state;
    cvk::ComPtr<IGroupNode> root = GetObject(cmos, &ICmos::get_DataTree);
    if (root)
        CaptureGroup(root.get(), &state);
    return state;
}

void RecordCmosEdit(CCvkDoc* doc, const QString& name, const CmosState& before,
                    const CmosState& after) {
    CmosState changedBefore;
    CmosState changedAfter;
    // Both were captured in the same order from the same tree.
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
        if (SameState(before[i], after[i]))
            continue;
        changedBefore.push_back(before[i]);
        changedAfter.push_back(after[i]);
    }
    if (!changedBefore.empty())
        Record(doc, name, std::move(changedBefore), std::move(changedAfter));
}

SmbiosState CaptureSmbios(ISmbiosNode* node) {
    return {cvk::ComPtr<ISmbiosNode>(node), GetText(node, &ISmbiosNode::get_Value),
            GetBool(node, &ISmbiosNode::get_Prompt)};
}

void RecordSmbiosEdit(CCvkDoc* doc, const QString& name, const SmbiosState& before,
                      const SmbiosState& after) {
    if (before.value != after.value || before.prompt != after.prompt)
        Record(doc, name, before, after);
}

ThermState CaptureTherm(IThermSetting* setting) {
    ThermState state;
    state.setting = cvk::ComPtr<IThermSetting>(setting);
    ThrowIfFailed(setting->get_Value(state.value.put()));
    state.text = GetVariantText(setting, &IThermSetting::get_Value);
    return state;
}

void RecordThermEdit(CCvkDoc* doc, const ThermState& before, const ThermState& after) {
    if (before.text != after.text)
        Record(doc, cvkgui::edit::kEditValue, before, after);
}
