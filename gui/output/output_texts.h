// The texts of the output commands and the Options dialog.
#pragma once

#include <QString>

namespace cvkgui::text {

inline const QString kGenerated = QStringLiteral("File generated successfully!");
inline const QString kFailedGenerate = QStringLiteral("Failed to generate file");
inline const QString kInvalidCapsule =
    QStringLiteral("Invalid BIOS capsule.  Please verify that the maximum capsule size has not "
                   "been exceeded.");
inline const QString kInvalidUpdate =
    QStringLiteral("Update appears to be invalid.  Verify that the correct dependencies have "
                   "been selected.");
inline const QString kCannotWriteMedia =
    QStringLiteral("Not able to write file to media.  Verify the disk is not full or corrupt");
inline const QString kFileNotGenerated = QStringLiteral("File not generated");
inline const QString kInvalidDirectory = QStringLiteral("Invalid directory");
inline const QString kIniWarnings =
    QStringLiteral("The file was written, but the INI file of these components will not carry "
                   "every setting as the workspace shows it:");

inline const QString kIniFilter = QStringLiteral("INI Files (*.ini);;All Files (*)");
inline const QString kReportFilter = QStringLiteral("Text Files (*.txt);;All Files (*)");
inline const QString kBiosUpdateFilter = QStringLiteral("BIO Files (*.bio);;All Files (*)");

} // namespace cvkgui::text
