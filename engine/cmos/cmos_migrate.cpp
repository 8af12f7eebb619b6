// Carrying the user's CMOS answers over from the tree of the previous BIOS build.
#include "engine/cmos/cmos.h"

#include "platform/com/errorinfo.h"
#include "platform/text/codepage.h"

#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace cvk {
namespace {

// The old tree, indexed so that each counterpart is found in constant or logarithmic time; each
// index keeps the setting that the search from the root would find first.
class OldTree {
public:
    explicit OldTree(const GroupNode* root) {
        if (!root)
            return;
        IndexKeywords(*root);
        IndexNames(*root);
    }

    const SettingNode* Counterpart(const SettingNode& setting, const GroupNode& parent) const {
        const std::u16string_view keyword = setting.Keyword().view();
        if (!keyword.empty()) {
            const auto found = byKeyword_.find(std::u16string(keyword));
            return found == byKeyword_.end() ? nullptr : found->second;
        }
        const auto found = byName_.find({parent.Name().str(), setting.Name().str()});
        return found == byName_.end() ? nullptr : found->second;
    }

private:
    // The keyword search's order: a group's own settings, then its children.
    void IndexKeywords(const GroupNode& group) {
        for (const ComPtr<SettingNode>& setting : group.Settings().Items())
            if (!setting->Keyword().empty())
                byKeyword_.emplace(setting->Keyword().str(), setting.get());
        for (const ComPtr<GroupNode>& child : group.Children().Items())
            IndexKeywords(*child);
    }

    // Depth first, a group before its children.
    void IndexNames(const GroupNode& group) {
        for (const ComPtr<SettingNode>& setting : group.Settings().Items())
            byName_.emplace(std::make_pair(group.Name().str(), setting->Name().str()),
                            setting.get());
        for (const ComPtr<GroupNode>& child : group.Children().Items())
            IndexNames(*child);
    }

    std::unordered_map<std::u16string, const SettingNode*> byKeyword_;
    std::map<std::pair<std::u16string, std::u16string>, const SettingNode*> byName_;
};

// What the comparison of the old and the new answers found.
struct ChoiceComparison {
    bool sameSet = false;
    bool currentFound = false;
    bool oldDefault = false;
};

ChoiceComparison CompareChoices(const SettingNode& fresh, const SettingNode& old) {
    ChoiceComparison result;
    const ChoiceNode* oldCurrent = old.Current();
    result.oldDefault = oldCurrent && oldCurrent == old.Default();
    const ChoiceList& newChoices = fresh.Choices();
    const ChoiceList& oldChoices = old.Choices();
    if (newChoices.Size() == 0 || oldChoices.Size() == 0)
        return result;
    std::unordered_set<std::u16string> newNames;
    for (const ComPtr<ChoiceNode>& choice : newChoices.Items())
        newNames.insert(text::FoldCase(choice->Name().view()));
    result.sameSet = newChoices.Size() == oldChoices.Size();
    for (const ComPtr<ChoiceNode>& choice : oldChoices.Items())
        if (!newNames.count(text::FoldCase(choice->Name().view())))
            result.sameSet = false;
    result.currentFound =
        oldCurrent && newNames.count(text::FoldCase(oldCurrent->Name().view())) > 0;
    return result;
}

HRESULT CarryOver(SettingNode& setting, const SettingNode& old) {
    const ChoiceComparison match = CompareChoices(setting, old);
    if (!match.currentFound || !match.sameSet || !match.oldDefault)
        setting.SetNeedsReview(true);
    if (!match.currentFound)
        return S_OK;
    setting.SetLockHide(old.Locked(), old.Hidden());
    const std::u16string_view wanted = old.Current()->Name().view();
    for (const ComPtr<ChoiceNode>& choice : setting.Choices().Items())
        if (choice->Name().view() == wanted)
            return setting.SelectChoice(*choice);
    // Only a choice that differs in letter case: the new default stays.
    setting.SetNeedsReview(true);
    return S_OK;
}

// The new tree's walk: child groups first, depth first, then each group's own settings.
HRESULT MigrateGroup(const GroupNode& group, const OldTree& old) {
    for (const ComPtr<GroupNode>& child : group.Children().Items())
        CVK_RETURN_IF_FAILED(MigrateGroup(*child, old));
    for (const ComPtr<SettingNode>& setting : group.Settings().Items()) {
        const SettingNode* counterpart = old.Counterpart(*setting, group);
        if (!counterpart) {
            setting->SetNeedsReview(true);
            continue;
        }
        CVK_RETURN_IF_FAILED(CarryOver(*setting, *counterpart));
    }
    return S_OK;
}

} // namespace

HRESULT Cmos::MigrateFrom(const Cmos& previous) {
    if (!root_)
        return E_FAIL;
    return Boundary(kCmosErrorSource, [&]() -> HRESULT {
        const OldTree old(previous.root_.get());
        CVK_RETURN_IF_FAILED(MigrateGroup(*root_, old));
        requiresSave_ = true;
        return S_OK;
    });
}

} // namespace cvk
