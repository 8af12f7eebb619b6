// The user's words of the media set: numbered messages of the program's string table.
#pragma once

#include <initializer_list>
#include <string>

namespace cvk::media {

// How a message box shows a notice.
enum class Severity { kInformation, kWarning, kError };

// One message for the user: its string-table number (0 for texts without one), the text with
// its blanks filled in, the box's icon and, where it has one of its own, its caption.
struct Notice {
    int id = 0;
    std::string text;
    Severity severity = Severity::kError;
    std::string caption;
};

inline constexpr char kWizardTitle[] = "Generate Media"; // 130
inline constexpr char kWrongFileFormat[] =               // 131
    "This file is not in the expected format.  To prevent future conflicts, verify that you "
    "have chosen a valid file.";
inline constexpr char kBiosCopyFailed[] = "Failure copying BIOS file: %s";                  // 132
inline constexpr char kBiosFileMissing[] = "Missing BIOS file: %s, Failed to copy file";    // 133
inline constexpr char kInsertMedium[] = "Disk not detected, please insert floppy in drive"; // 135
inline constexpr char kOverwriteQuestion[] =                                                // 136
    "File %s already exists. Do you wish to overwrite the file?";
inline constexpr char kOverwriteCaption[] = "Confirm File Replace";     // 137
inline constexpr char kCopySucceeded[] = "Files copied successfully!";  // 168
inline constexpr char kDriveNotAvailableText[] = "Drive not available"; // 175
inline constexpr char kUnexpectedError[] =                              // 183
    "An error has occurred.  The application will be closed.";
inline constexpr char kNoFreeSpaceText[] = "Could not determine available disk space";    // 198
inline constexpr char kInvalidBiosFile[] = "Invalid BIOS File, files will not be copied"; // 199
inline constexpr char kRunFailed[] =                                                      // 200
    "Error copying one or more files to disk.  Generate floppy not successful.";
inline constexpr char kCvtoolFolderPrompt[] = // 204
    "Specify the directory in which cvtool.exe is located";
inline constexpr char kDiskError[] = // 205
    "A disk error occurred.  Verify that the disk is available and that the disk is not "
    "write-protected.";
inline constexpr char kRomwriteFolderPrompt[] = // 228
    "Specify the directory in which romwrite.exe is located";
inline constexpr char kRomwrite2FolderPrompt[] = // 229
    "Specify the directory in which romwrite2.exe is located";
inline constexpr char kCvtoolNotFound[] = "Cvtool.exe not found in the specified directory";
inline constexpr char kRomwriteNotFound[] = "Romwrite.exe not found in the specified directory";
inline constexpr char kNotFoundCaption[] = "Error";
inline constexpr char kLangPackNotSpecified[] =
    "The path in which the language pack is located was not specified, the file will not be "
    "copied";
inline constexpr char kBiosNotSpecified[] =
    "The path in which the BIOS file is located was not specified, the file will not be copied";
inline constexpr char kProgressTitle[] = "Copying Files..."; // 197
inline constexpr char kBadBaseName[] =
    "The base file name \"%s\" is not a DOS file name: use 1 to 8 letters, digits or "
    "! # $ % & ' ( ) - @ ^ _ ` { } ~, without blanks.";

// The text with each "%s" replaced by the next of `values`, in order.
std::string FillIn(std::string text, std::initializer_list<std::string> values);

} // namespace cvk::media
