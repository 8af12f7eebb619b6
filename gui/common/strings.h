// The program's own texts: window titles, messages, prompts and hints.
#pragma once

#include <QString>

namespace cvkgui::text {

inline const QString kMainTitle = QStringLiteral("Halvex(R) Corvane");
inline const QString kAppTitle = QStringLiteral("Halvex(R) Corvane 2.1");
inline const QString kOrganisation = QStringLiteral("Halvex");
inline const QString kSettingsGroup = QStringLiteral("Settings");
inline const QString kRecentGroup = QStringLiteral("Recent File List");
inline const QString kHelpFileName = QStringLiteral("cvtool.chm");
inline const QString kHelpTitle = QStringLiteral("Halvex(R) Corvane Help");
inline const QString kUntitled = QStringLiteral("Untitled");

inline const QString kWorkspaceFilter =
    QStringLiteral("Corvane Workspace Files (*.cvw);;All Files (*)");
inline const QString kBiosFilter = QStringLiteral("Corvane BIOS Files (*.cvk);;All Files (*)");

// Message 183, the fallback for any engine failure (two blanks after the first full stop).
inline const QString kFatalError =
    QStringLiteral("An error has occurred.  The application will be closed.");
inline const QString kIdlePrompt = QStringLiteral("For Help, press F1");

inline const QString kFailedOpen = QStringLiteral("Failed to open workspace");
inline const QString kNotMapFile =
    QStringLiteral("A workspace can only be created with an .cvk file.  Verify that the file is "
                   "a valid *.cvk file.");
inline const QString kNotWorkspaceFile =
    QStringLiteral("A workspace can only be opened with an .cvw file.  Verify that the file is "
                   "a valid *.cvw file.");
inline const QString kSaveReadOnly = QStringLiteral("Unable to save workspace, file is read only.");
inline const QString kFailedSave = QStringLiteral("Failed to save workspace");
inline const QString kFailedClose = QStringLiteral("Failure occured while closing workspace");
inline const QString kFileNotValid = QStringLiteral("File not valid");
inline const QString kFewerLockHide =
    QStringLiteral("The new BIOS file has fewer lock and hide selections than the current BIOS."
                   "  Please reduce the number of lock and hide selections before changing the "
                   "BIOS file");
inline const QString kFailedChangeBios = QStringLiteral("Failed to change BIOS file");
inline const QString kSaveChanges = QStringLiteral("Save changes to %1?");
inline const QString kFolderNotFound = QStringLiteral("Error can not find folder.");
inline const QString kOperationFailed =
    QStringLiteral("Unable to complete operation successfully.");

// Hints of the settings view's modes and of editing.
inline const QString kHintEdit = QStringLiteral("Double-click to edit a value.");
inline const QString kHintCmos = QStringLiteral(
    "Double-click to edit a value. * Indicates the default BIOS value for this setting.");
inline const QString kHintCmosSelect = QStringLiteral(
    "Select an item from the list. * Indicates the default BIOS value for this setting.");
inline const QString kHintModules = QStringLiteral("Right-click to add, remove, or edit a module.");

inline const QString kSmbiosTruncated = QStringLiteral(
    "Exceeded maximum number of characters allowed.  This value has been truncated.");
inline const QString kSmbiosProvide = QStringLiteral("Provide a %1 for the %2");
inline const QString kSmbiosPromptString = QStringLiteral("string as the prompt");
inline const QString kSmbiosString = QStringLiteral("string");
inline const QString kSmbiosEnter = QStringLiteral("Enter %1");
inline const QString kThermEnterBetween = QStringLiteral("Enter a value between %1 and %2");
inline const QString kThermSelect = QStringLiteral("Select an item from the list");
inline const QString kThermMustBeBetween = QStringLiteral("The value must be between %1 and %2");

// The views across all groups, and what the CMOS list says about a setting's place in the INI
// file and the CMOS image.
inline const QString kHintFound =
    QStringLiteral("Double-click a setting or press Enter to show it in its group.");
inline const QString kNoCurrentChoiceValue = QStringLiteral("(no current choice)");
inline const QString kNoCurrentChoice =
    QStringLiteral("This setting has no current choice: its default matches none of its answers. "
                   "It and the settings after it in its menu are left out of the INI file until "
                   "an answer is chosen.");
inline const QString kDropEditedComponents =
    QStringLiteral("These components hold your edits: %1. Taking them out of the workspace "
                   "loses those edits, and their values return to the BIOS image's defaults "
                   "when they are added again. Take them out?");
inline const QString kFlashImageUnreadable =
    QStringLiteral("The flash image beside this BIOS file cannot be read, so a workspace made from "
                   "it has no BIOS modules.");
inline const QString kOutsideCmosImage =
    QStringLiteral("The CMOS setting \"%1\" lies at bit offset %2, past the end of the 256-byte "
                   "CMOS image: its choice is kept in the workspace but never reaches the image.");

inline const QString kMaxLocked =
    QStringLiteral("The maximum number of lock-able settings reached, please unlock a different "
                   "setting to lock this setting.");
inline const QString kMaxHidden =
    QStringLiteral("The maximum number of hide-able settings reached, please unhide a different "
                   "setting to hide this setting.");

inline const QString kWarningTitle = QStringLiteral("Corvane 2.1");
inline const QString kWarningCheck = QStringLiteral("In the future, do not show this warning");
inline const QString kAdvancedWarning =
    QStringLiteral("Configuring Advanced CMOS Settings to incorrect values may cause your system "
                   "to malfunction or operate with decreased performance.");
inline const QString kThermalWarning =
    QStringLiteral("Improper implementation of Halvex Thermaline settings could lead to "
                   "inadequate system cooling, system failure, or system damage.");

// Comparing builds: the compare view and the carry-over preview of an update.
inline const QString kCompareTitle = QStringLiteral("Compare with BIOS File");
inline const QString kCompareFailed =
    QStringLiteral("Unable to compare with the selected file.  Verify that the file is a valid "
                   "*.cvk file.");
inline const QString kUpdatePreviewTitle = QStringLiteral("Carry-Over Preview");
inline const QString kUpdatePreviewSummary =
    QStringLiteral("Updating from %1 to %2: %3 setting(s) will need review, %4 added, "
                   "%5 removed. Press OK to update the workspace, Cancel to leave it as it is.");
inline const QString kModulesWillReset =
    QStringLiteral("The module selection and the logo will be reset to the new BIOS image's "
                   "defaults.");
inline const QString kModulesReset =
    QStringLiteral("The module selection and the logo were reset to the new BIOS image's "
                   "defaults.");

// Export Configuration and Import Configuration.
inline const QString kConfigurationFilter =
    QStringLiteral("Configuration Files (*.json);;All Files (*)");
inline const QString kExportFailed = QStringLiteral("Unable to export the configuration.");
inline const QString kCannotWrite = QStringLiteral("The file %1 cannot be written.");
inline const QString kImportUnreadable =
    QStringLiteral("Unable to read the configuration file: %1");
inline const QString kImportRefused =
    QStringLiteral("The configuration was not imported and the workspace is unchanged.  These "
                   "edits could not be applied:\n%1");
inline const QString kImported = QStringLiteral("The configuration was imported.");

} // namespace cvkgui::text
