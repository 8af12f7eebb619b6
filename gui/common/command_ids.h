// The program's command identifiers, shared by the shell's command table and the views that
// carry the commands out.
#pragma once

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
    Undo,
    Redo,
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
    // Comparing builds, carrying a configuration.
    CompareBios,
    ExportConfig,
    ImportConfig,
    // Settings across all groups: the search field and the two filters.
    FindSetting,
    ChangedOnly,
    NeedsReviewOnly,
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

// The megabits of a "Firmware Hub Size" command.
constexpr int FirmwareHubMegabits(Cmd id) {
    return id == Cmd::FwhSize3 ? 3 : id == Cmd::FwhSize4 ? 4 : 8;
}
