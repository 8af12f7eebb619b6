// Comparing two BIOS builds, or a workspace with a newer build: settings matched as the engine's
// carry-over matches them, what changed about each, and whether the carry-over would flag it
// for review.
#pragma once

#include "client/workspace_snapshot.h"

#include <string>
#include <vector>

namespace cvkclient {

enum class SettingChange { kAdded, kRemoved, kChanged, kUnchanged };

struct ChoiceRename {
    std::string from;
    std::string to;
};

struct SettingDiff {
    SettingChange change = SettingChange::kChanged;
    const CmosSetting* old = nullptr;   // null for an added setting
    const CmosSetting* fresh = nullptr; // null for a removed one
    // Of "name", "moved", "default", "choices", "help", "keyword", in this order.
    std::vector<std::string> what;
    std::vector<std::string> choicesAdded; // letter case counts
    std::vector<std::string> choicesRemoved;
    std::vector<ChoiceRename> choicesRenamed; // same CMOS value, another name
    // The carry-over would set the review flag of the new setting.
    bool review = false;
};

enum class ModuleChange { kAdded, kRemoved, kResized };

struct ModuleDiff {
    ModuleChange change = ModuleChange::kAdded;
    const ModuleInfo* old = nullptr;
    const ModuleInfo* fresh = nullptr;
};

struct BuildDiff {
    const WorkspaceSnapshot* old = nullptr;
    const WorkspaceSnapshot* fresh = nullptr;
    std::vector<Path> groupsAdded;
    std::vector<Path> groupsRemoved;
    // The new build's settings in tree order (added, changed, and unchanged ones only when the
    // carry-over flags them), then the removed ones in the old build's order.
    std::vector<SettingDiff> settings;
    bool modulesCompared = false; // both sides have a module list
    std::vector<ModuleDiff> modules;

    std::size_t Count(SettingChange change) const;
};

// Compares `old` (a build's defaults, or a workspace with its answers) with `fresh`. Both must
// outlive the result, which points into them.
BuildDiff CompareBuilds(const WorkspaceSnapshot& old, const WorkspaceSnapshot& fresh);

} // namespace cvkclient
