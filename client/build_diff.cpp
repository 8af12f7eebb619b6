// The comparison of two builds, with the engine's carry-over rule for the review flag.
#include "client/build_diff.h"

#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace cvkclient {
namespace {

// The old tree indexed as the carry-over indexes it: by keyword, else by the parent group's
// name and the setting's name; each index keeps the first setting in tree order.
class Counterparts {
public:
    explicit Counterparts(const CmosTree& tree) {
        for (const CmosSetting& setting : tree.settings) {
            if (!setting.keyword.empty())
                byKeyword_.emplace(setting.keyword, &setting);
            byName_.emplace(std::make_pair(setting.parent, setting.name), &setting);
        }
    }

    const CmosSetting* Find(const CmosSetting& setting) const {
        if (!setting.keyword.empty()) {
            const auto found = byKeyword_.find(setting.keyword);
            return found == byKeyword_.end() ? nullptr : found->second;
        }
        const auto found = byName_.find({setting.parent, setting.name});
        return found == byName_.end() ? nullptr : found->second;
    }

private:
    std::unordered_map<std::string, const CmosSetting*> byKeyword_;
    std::map<std::pair<std::string, std::string>, const CmosSetting*> byName_;
};

// The engine's rule: the review flag is set unless the old answer was the default, the old and
// the new answers are the same set (letter case ignored), and the old answer exists in the new
// build under exactly its name.
bool NeedsReview(const CmosSetting& fresh, const CmosSetting& old) {
    const bool oldDefault = old.currentChoice >= 0 && old.currentChoice == old.defaultChoice;
    if (fresh.choices.empty() || old.choices.empty())
        return true;
    std::unordered_set<std::u16string> newNames;
    for (const std::string& choice : fresh.choices)
        newNames.insert(FoldCase(choice));
    bool sameSet = fresh.choices.size() == old.choices.size();
    for (const std::string& choice : old.choices)
        if (!newNames.count(FoldCase(choice)))
            sameSet = false;
    const std::string* current = old.Current();
    const bool currentFound = current && newNames.count(FoldCase(*current)) > 0;
    if (!currentFound || !sameSet || !oldDefault)
        return true;
    for (const std::string& choice : fresh.choices)
        if (choice == *current)
            return false;
    return true;
}

std::string Or(const std::string* text) {
    return text ? *text : std::string();
}

void CompareChoices(const CmosSetting& old, const CmosSetting& fresh, SettingDiff* diff) {
    const std::multiset<std::string> oldNames(old.choices.begin(), old.choices.end());
    const std::multiset<std::string> newNames(fresh.choices.begin(), fresh.choices.end());
    std::vector<std::size_t> added, removed;
    for (std::size_t i = 0; i < fresh.choices.size(); ++i)
        if (!oldNames.count(fresh.choices[i]))
            added.push_back(i);
    for (std::size_t i = 0; i < old.choices.size(); ++i)
        if (!newNames.count(old.choices[i]))
            removed.push_back(i);
    // A removed and an added answer at the same CMOS value are one answer renamed.
    std::vector<bool> addedUsed(added.size(), false);
    for (std::size_t r : removed) {
        bool renamed = false;
        for (std::size_t a = 0; a < added.size() && !renamed; ++a)
            if (!addedUsed[a] && fresh.values[added[a]] == old.values[r]) {
                addedUsed[a] = renamed = true;
                diff->choicesRenamed.push_back({old.choices[r], fresh.choices[added[a]]});
            }
        if (!renamed)
            diff->choicesRemoved.push_back(old.choices[r]);
    }
    for (std::size_t a = 0; a < added.size(); ++a)
        if (!addedUsed[a])
            diff->choicesAdded.push_back(fresh.choices[added[a]]);
}

SettingDiff CompareSetting(const CmosSetting& old, const CmosSetting& fresh) {
    SettingDiff diff;
    diff.old = &old;
    diff.fresh = &fresh;
    CompareChoices(old, fresh, &diff);
    const bool choicesChanged = !diff.choicesAdded.empty() || !diff.choicesRemoved.empty() ||
                                !diff.choicesRenamed.empty() || old.choices != fresh.choices;
    const std::pair<const char*, bool> kinds[] = {
        {"name", old.name != fresh.name},
        {"moved", old.groups != fresh.groups},
        {"default", Or(old.Default()) != Or(fresh.Default())},
        {"choices", choicesChanged},
        {"help", old.help != fresh.help},
        {"keyword", old.keyword != fresh.keyword},
    };
    for (const auto& [what, changed] : kinds)
        if (changed)
            diff.what.push_back(what);
    diff.change = diff.what.empty() ? SettingChange::kUnchanged : SettingChange::kChanged;
    diff.review = NeedsReview(fresh, old);
    return diff;
}

void CompareSettings(const CmosTree& old, const CmosTree& fresh, BuildDiff* diff) {
    const Counterparts counterparts(old);
    std::unordered_set<const CmosSetting*> matched;
    for (const CmosSetting& setting : fresh.settings) {
        const CmosSetting* counterpart = counterparts.Find(setting);
        if (!counterpart) {
            SettingDiff added;
            added.change = SettingChange::kAdded;
            added.fresh = &setting;
            added.review = true;
            diff->settings.push_back(std::move(added));
            continue;
        }
        matched.insert(counterpart);
        SettingDiff changed = CompareSetting(*counterpart, setting);
        if (changed.change != SettingChange::kUnchanged || changed.review)
            diff->settings.push_back(std::move(changed));
    }
    for (const CmosSetting& setting : old.settings) {
        if (matched.count(&setting))
            continue;
        SettingDiff removed;
        removed.change = SettingChange::kRemoved;
        removed.old = &setting;
        diff->settings.push_back(std::move(removed));
    }
}

std::vector<Path> Missing(const std::vector<Path>& from, const std::vector<Path>& in) {
    const std::set<Path> present(in.begin(), in.end());
    std::vector<Path> missing;
    for (const Path& path : from)
        if (!present.count(path))
            missing.push_back(path);
    return missing;
}

void CompareModules(const std::vector<ModuleInfo>& old, const std::vector<ModuleInfo>& fresh,
                    BuildDiff* diff) {
    std::map<LONG, const ModuleInfo*> oldByHandle, newByHandle;
    for (const ModuleInfo& module : old)
        oldByHandle.emplace(module.handle, &module);
    for (const ModuleInfo& module : fresh)
        newByHandle.emplace(module.handle, &module);
    for (const ModuleInfo& module : fresh) {
        const auto found = oldByHandle.find(module.handle);
        if (found == oldByHandle.end())
            diff->modules.push_back({ModuleChange::kAdded, nullptr, &module});
        else if (found->second->size != module.size)
            diff->modules.push_back({ModuleChange::kResized, found->second, &module});
    }
    for (const ModuleInfo& module : old)
        if (!newByHandle.count(module.handle))
            diff->modules.push_back({ModuleChange::kRemoved, &module, nullptr});
}

} // namespace

std::size_t BuildDiff::Count(SettingChange change) const {
    std::size_t count = 0;
    for (const SettingDiff& setting : settings)
        count += setting.change == change;
    return count;
}

BuildDiff CompareBuilds(const WorkspaceSnapshot& old, const WorkspaceSnapshot& fresh) {
    BuildDiff diff;
    diff.old = &old;
    diff.fresh = &fresh;
    const CmosTree none;
    const CmosTree& oldTree = old.cmos ? *old.cmos : none;
    const CmosTree& newTree = fresh.cmos ? *fresh.cmos : none;
    diff.groupsAdded = Missing(newTree.groups, oldTree.groups);
    diff.groupsRemoved = Missing(oldTree.groups, newTree.groups);
    CompareSettings(oldTree, newTree, &diff);
    diff.modulesCompared = old.modules && fresh.modules;
    if (diff.modulesCompared)
        CompareModules(*old.modules, *fresh.modules, &diff);
    return diff;
}

} // namespace cvkclient
