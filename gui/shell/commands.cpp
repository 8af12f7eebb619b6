// The command table.
#include "gui/shell/commands.h"

namespace {

const CommandInfo kCommands[] = {
    {Cmd::New, "actionNew", "&New Workspace...\tCtrl+N", "Create a new workspace\nNew"},
    {Cmd::Open, "actionOpen", "&Open Workspace...\tCtrl+O", "Open an existing workspace\nOpen"},
    {Cmd::Close, "actionClose", "&Close Workspace\tCtrl+W", "Close the workspace\nClose"},
    {Cmd::Save, "actionSave", "&Save Workspace\tCtrl+S", "Save the workspace\nSave"},
    {Cmd::SaveAs, "actionSaveAs", "Save Workspace &As...\tCtrl+A",
     "Save the workspace with a new name\nSave As"},
    {Cmd::AddRemove, "actionAddRemove", "Add/Remove Wor&kspace Components...\tCtrl+K",
     "Add components to or remove components from workspace\nAdd/Remove Workspace Components"},
    {Cmd::UpdateBios, "actionUpdateBios", "Update Workspace to a Different &BIOS File...\tCtrl+B",
     "Update the workspace to a different BIOS file\nUpdate Workspace to Different BIOS File"},
    {Cmd::GenerateIni, "actionGenerateIni", "Generate &INI File...\tCtrl+I",
     "Generate an INI file from the workspace\nGenerate INI File"},
    {Cmd::GenerateReport, "actionGenerateReport", "Generate &Report...\tCtrl+R",
     "Generate a report for this workspace\nGenerate Report"},
    {Cmd::GenerateMedia, "actionGenerateMedia", "Generate &Media...\tCtrl+Y",
     "Generate the production media for this workspace\nGenerate Media"},
    {Cmd::GenerateBiosFile, "actionGenerateBiosFile", "Generate &BIOS File...\tCtrl+G",
     "Generate BIOS file\nGenerate BIOS file"},
    {Cmd::Options, "actionOptions", "&Options...",
     "Change Corvane application options\nCorvane Application Options"},
    {Cmd::Exit, "actionExit", "E&xit", "Quit the application; prompts to save workspace\nExit"},
    {Cmd::Undo, "actionUndo", "&Undo\tCtrl+Z", "Undo the last edit\nUndo"},
    {Cmd::Redo, "actionRedo", "&Redo\tCtrl+Shift+Z", "Redo the edit last undone\nRedo"},
    {Cmd::Cut, "actionCut", "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut"},
    {Cmd::Copy, "actionCopy", "&Copy\tCtrl+C",
     "Copy the selection and put it on the Clipboard\nCopy"},
    {Cmd::Paste, "actionPaste", "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste"},
    {Cmd::EditValue, "actionEditValue", "Edit &Value\tF2",
     "Edit Value of the currently selected item\nEdit Value"},
    {Cmd::Lock, "actionLock", "&Lock CMOS Setting\tCtrl+L",
     "Lock selected CMOS setting from end user\nLock CMOS Setting"},
    {Cmd::Hide, "actionHide", "&Hide CMOS Setting\tCtrl+H",
     "Hide selected CMOS setting from end user\nHide CMOS Setting"},
    {Cmd::Prompt, "actionPrompt", "Set SMBIOS Value to &Prompt \tCtrl+P",
     "Set SMBIOS value to prompt end user\nSet SMBIOS Value to Prompt End User"},
    {Cmd::ResetDefaults, "actionResetDefaults", "Reset All CMOS Values to &Defaults\tCtrl+D",
     "Reset all CMOS values to thier defaults\nReset CMOS Values to Defaults"},
    {Cmd::MarkReviewed, "actionMarkReviewed", "&Mark All CMOS Settings as Reviewed\tCtrl+M",
     "Mark all CMOS settings as reviewed\nMark All CMOS Settings as Reviewed"},
    {Cmd::ClearLockHide, "actionClearLockHide", "Cl&ear All Lock/Hide Selections\tCtrl+E",
     "Clear all locked and hidden selections from CMOS\nClear All Lock and Hide Selections"},
    {Cmd::FwhSize3, "actionFwhSize3", "3 Megabits",
     "Set the firmware hub size to 3 megabits\nFirmware Hub Size"},
    {Cmd::FwhSize4, "actionFwhSize4", "4 Megabits",
     "Set the firmware hub size to 4 megabits\nFirmware Hub Size"},
    {Cmd::FwhSize8, "actionFwhSize8", "8 Megabits",
     "Set the firmware hub size to 8 megabits\nFirmware Hub Size"},
    {Cmd::ToggleToolBar, "actionToolBar", "&Toolbar", "Show or hide the toolbar\nToggle ToolBar"},
    {Cmd::ToggleStatusBar, "actionStatusBar", "&Status Bar",
     "Show or hide the status bar\nToggle StatusBar"},
    {Cmd::HelpTopics, "actionHelpTopics", "&Help Topics\tF1", "Opens Help\nHelp Topics"},
    {Cmd::About, "actionAbout", "&About Corvane...",
     "Display program information, version number and copyright\nAbout"},
    {Cmd::NextPane, "actionNextPane", "Ne&xt Pane\tF6",
     "Switch to the next window pane\nNext Pane"},
    {Cmd::PreviousPane, "actionPreviousPane", "Pre&vious Pane\tShift+F6",
     "Switch back to the previous window pane\nPrevious Pane"},
    {Cmd::CompareBios, "actionCompareBios", "&Compare with BIOS File...",
     "Compare the workspace's BIOS file with another BIOS file\nCompare with BIOS File"},
    {Cmd::ExportConfig, "actionExportConfig", "Export Confi&guration...",
     "Write the workspace's changes from the defaults to a configuration file\nExport "
     "Configuration"},
    {Cmd::ImportConfig, "actionImportConfig", "Import Con&figuration...",
     "Apply a configuration file to the workspace\nImport Configuration"},
    {Cmd::FindSetting, "actionFindSetting", "&Find Setting...\tCtrl+F",
     "Find settings by name, keyword, help text or choice in all groups\nFind Setting"},
    {Cmd::ChangedOnly, "actionChangedOnly", "&Changed Settings Only",
     "Show the CMOS settings of all groups that differ from the BIOS defaults, are locked, "
     "hidden or need review\nChanged Settings Only"},
    {Cmd::NeedsReviewOnly, "actionNeedsReviewOnly", "Settings Needing &Review",
     "Show the CMOS settings of all groups that need review\nSettings Needing Review"},
};

static_assert(std::size(kCommands) == static_cast<std::size_t>(Cmd::kCount));

} // namespace

const CommandInfo& InfoOf(Cmd id) {
    return kCommands[static_cast<int>(id)];
}

QList<QKeySequence> ShortcutsOf(Cmd id) {
    const QString text = QString::fromLatin1(InfoOf(id).menuText);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    QList<QKeySequence> keys;
    if (tab >= 0)
        keys.append(QKeySequence(text.mid(tab + 1).trimmed()));
    switch (id) {
    case Cmd::Copy:
        keys.append(QKeySequence(Qt::CTRL | Qt::Key_Insert));
        break;
    case Cmd::Paste:
        keys.append(QKeySequence(Qt::SHIFT | Qt::Key_Insert));
        break;
    case Cmd::Cut:
        keys.append(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
        break;
    default:
        break;
    }
    return keys;
}

QString PromptOf(const char* promptAndTip) {
    return QString::fromLatin1(promptAndTip).section(QLatin1Char('\n'), 0, 0);
}

QString TipOf(const char* promptAndTip) {
    return QString::fromLatin1(promptAndTip).section(QLatin1Char('\n'), 1);
}

QString EditMenuText(Cmd id, const QString& editName) {
    const QString text = QString::fromLatin1(InfoOf(id).menuText);
    if (editName.isEmpty())
        return text;
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return text.left(tab) + QLatin1Char(' ') + editName + text.mid(tab);
}

QString MenuLabelOf(const char* menuText) {
    return QString::fromLatin1(menuText).section(QLatin1Char('\t'), 0, 0);
}
