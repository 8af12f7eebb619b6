// The program's commands: menu texts, status-bar prompts, tool tips and accelerators.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

enum class Cmd {
    New,
    Open,
    Close,
    Save,
    SaveAs,
    AddRemove,
    UpdateBios,
    GenerateIni,
    GenerateReport,
    GenerateMedia,
    GenerateBiosFile,
    Options,
    Exit,
    Cut,
    Copy,
    Paste,
    EditValue,
    Lock,
    Hide,
    Prompt,
    ResetDefaults,
    MarkReviewed,
    ClearLockHide,
    FwhSize3,
    FwhSize4,
    FwhSize8,
    ToggleToolBar,
    ToggleStatusBar,
    HelpTopics,
    About,
    NextPane,
    PreviousPane,
    kCount
};

// What the settings view is asked to do by the workspace window's commands.
enum class ViewCommand {
    Lock = 0,
    Hide = 1,
    ResetCmosDefaults = 2,
    MarkAllReviewed = 3,
    ClearLockHide = 4,
    Prompt = 5,
    EditValue = 6,
    RestoreModuleDefaults = 7,
    FwhSize3 = 11,
    FwhSize4 = 12,
    FwhSize8 = 13,
};

struct CommandInfo {
    Cmd id;
    const char* objectName;
    // The menu text with its accelerator after a tab, as the user sees it.
    const char* menuText;
    // The status-bar prompt, then after a line break the tool tip.
    const char* promptAndTip;
};

const CommandInfo& InfoOf(Cmd id);
// The keys of a command: the one named in its menu text and any alternatives.
QList<QKeySequence> ShortcutsOf(Cmd id);
// "prompt\ntip" split into its two parts; a string without a line break is the prompt alone.
QString PromptOf(const char* promptAndTip);
QString TipOf(const char* promptAndTip);
// The menu text without its accelerator part.
QString MenuLabelOf(const char* menuText);

// The megabits of a "Firmware Hub Size" command.
constexpr int FirmwareHubMegabits(Cmd id) {
    return id == Cmd::FwhSize3 ? 3 : id == Cmd::FwhSize4 ? 4 : 8;
}

// The menu text of the Reset command while the module list is shown.
inline constexpr const char* kRestoreModuleDefaultsText = "Restore Module Defaults\tCtrl+D";
