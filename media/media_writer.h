// Writing the media set of a workspace to a folder: the INI and batch files through the engine,
// and copies of the DOS tool, the flash utility, the language pack and the BIOS flash files.
#pragma once

#include "engine/include/cvkserver.h"
#include "media/copy_file.h"
#include "media/messages.h"

#include <functional>
#include <optional>
#include <string>

namespace cvk::media {

// What goes on the media. A box that is not ticked copies nothing of its kind.
struct MediaChoices {
    std::string destination; // the folder text as entered
    std::string baseName = "cvtool";
    LONG subsystemMask = 0;
    bool batchFile = false; // also write cvk.bat and edit autoexec.bat
    LONG commandMask = 0;   // 1: logging, 2: report
    bool copyCvtool = false;
    std::string cvtoolFolder; // where cvtool.exe is believed to be; empty when unknown
    bool copyRomwrite = false;
    std::string romwriteFolder;
    bool copyLangPack = false; // ignored for a modular BIOS, which has no language pack
    std::string langPackPath;
    bool copyBios = false;
    std::string biosPath;
};

// How the run talks to its user. Every member may be empty: then a notice is dropped, an
// existing file is kept, a folder is not known, and a missing medium cancels.
struct MediaCallbacks {
    std::function<void(const Notice&)> tell;
    // "File ... already exists": true replaces it.
    std::function<bool(const std::string& target)> confirmOverwrite;
    // A folder for a DOS tool, asked with `prompt`; none when the user cancels.
    std::function<std::optional<std::string>(const std::string& prompt)> pickFolder;
    // "Disk not detected, please insert floppy in drive": true retries the whole run.
    std::function<bool()> retryMedium;
    // One step of kProgressSteps done, with what it was.
    std::function<void(int step, const std::string& what)> progress;
    // A copy made, or an existing target kept without copying.
    std::function<void(const std::string& target, bool kept)> copied;
    // An engine call failed; `what` names the file it was to write.
    std::function<void(const std::string& what, HRESULT hr)> engineFailure;
    CopyChunk copyChunk = SystemCopyChunk;
};

constexpr int kProgressSteps = 7;

enum class MediaRun { kSucceeded, kFailed, kCancelled };

// Runs the whole job on `workspace` and ends with message 168 or 200 (none when cancelled).
// The base name must be a DOS file name (checked before anything is written).
MediaRun WriteMedia(IWorkspace* workspace, const MediaChoices& choices,
                    const MediaCallbacks& callbacks);

// The flash utility of a workspace in `folder`: "romwrite2.exe" for a modular BIOS when that
// file is there, else "romwrite.exe".
std::string FlashUtilityName(const std::string& folder, bool modularBios);

// True when `folder` holds the file `name`.
bool FolderHolds(const std::string& folder, const std::string& name);

} // namespace cvk::media
