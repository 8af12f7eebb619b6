// Writing the media set of a workspace to a folder: the INI and batch files through the engine,
// and copies of the DOS tool, the flash utility, the language pack and the BIOS flash files.
#include "media/media_writer.h"

#include "media/base_name.h"
#include "media/bios_chain.h"
#include "platform/com/bstr.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <initializer_list>

namespace cvk::media {

namespace {

namespace fs = std::filesystem;

constexpr char kCvtool[] = "cvtool.exe";
constexpr char kRomwrite[] = "romwrite.exe";
constexpr char kRomwrite2[] = "romwrite2.exe";

enum class Step { kDone, kFailed, kCancelled, kRetry };

// A step after which the run does not go on: the user cancelled, or asked to start again.
bool EndsRun(Step step) {
    return step == Step::kCancelled || step == Step::kRetry;
}

enum class ProgressStep { kCvtool = 1, kIni, kBatch, kFlashUtility, kLangPack, kBios, kDone };

// A listing of the folder, as the DOS copy checks its drive: 0 or the errno of the failure.
int ListFolder(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return errno;
    ::closedir(dir);
    return 0;
}

// Errors that say the medium itself is gone rather than something on it.
bool MediumGone(int error) {
    return error == ENOENT || error == ENODEV || error == ENXIO || error == ENOMEDIUM;
}

std::string SiblingWithExtension(const std::string& path, const char* extension) {
    return fs::path(path).replace_extension(extension).string();
}

std::string FileName(const std::string& path) {
    return fs::path(path).filename().string();
}

class Run {
public:
    Run(IWorkspace* workspace, const MediaChoices& choices, const MediaCallbacks& callbacks)
        : workspace_(workspace), choices_(choices), on_(callbacks) {}

    Step Execute();

private:
    void Tell(int id, std::string text, Severity severity = Severity::kError,
              std::string caption = {}) {
        if (on_.tell)
            on_.tell(Notice{id, std::move(text), severity, std::move(caption)});
    }
    // Steps have fixed places on the bar, whether or not the ones before them ran.
    void Progress(ProgressStep step, const std::string& what) {
        if (on_.progress)
            on_.progress(int(step), what);
    }
    bool Engine(const std::string& what, HRESULT hr) {
        if (SUCCEEDED(hr))
            return true;
        if (on_.engineFailure)
            on_.engineFailure(what, hr);
        failed_ = true;
        return false;
    }

    Step CopyOne(const std::string& source, const std::string& name);
    std::optional<std::string> ToolFolder(std::string known,
                                          std::initializer_list<const char*> names,
                                          const char* prompt, const char* notFound,
                                          bool* cancelled);
    Step CopyCvtool();
    void WriteIniAndBatch();
    Step CopyFlashUtility();
    Step CopyWithCompanion(const std::string& file, const char* extension, bool bios);
    Step CopyLangPack();
    Step CopyBiosFiles();

    IWorkspace* workspace_;
    const MediaChoices& choices_;
    const MediaCallbacks& on_;
    bool modular_ = false;
    bool failed_ = false;
};

Step Run::CopyOne(const std::string& source, const std::string& name) {
    const int listing = ListFolder(choices_.destination);
    if (listing && MediumGone(listing)) {
        if (on_.retryMedium && on_.retryMedium())
            return Step::kRetry;
        return Step::kCancelled;
    }
    const std::string target = JoinFolder(choices_.destination, name);
    const bool exists = ::access(target.c_str(), F_OK) == 0;
    if (exists && !(on_.confirmOverwrite && on_.confirmOverwrite(target))) {
        if (on_.copied)
            on_.copied(target, true);
        return Step::kDone;
    }
    const CopyError error = CopyFileAtomically(source, target, exists, on_.copyChunk);
    if (error) {
        Tell(0, CopyFailureMessage(error, source, target));
        failed_ = true;
        return Step::kFailed;
    }
    if (on_.copied)
        on_.copied(target, false);
    return Step::kDone;
}

// The folder that holds one of `names`: `known` when it does, else one the user picks; a
// picked folder without the file says so and asks again.
std::optional<std::string> Run::ToolFolder(std::string known,
                                           std::initializer_list<const char*> names,
                                           const char* prompt, const char* notFound,
                                           bool* cancelled) {
    auto holds = [&](const std::string& folder) {
        for (const char* name : names)
            if (FolderHolds(folder, name))
                return true;
        return false;
    };
    if (!known.empty() && holds(known))
        return known;
    if (!on_.pickFolder)
        return std::nullopt;
    for (;;) {
        std::optional<std::string> picked = on_.pickFolder(prompt);
        if (!picked) {
            *cancelled = true;
            return std::nullopt;
        }
        if (holds(*picked))
            return picked;
        Tell(0, notFound, Severity::kError, kNotFoundCaption);
    }
}

Step Run::CopyCvtool() {
    bool cancelled = false;
    const std::optional<std::string> folder = ToolFolder(
        choices_.cvtoolFolder, {kCvtool}, kCvtoolFolderPrompt, kCvtoolNotFound, &cancelled);
    if (cancelled)
        return Step::kCancelled;
    Step step = Step::kFailed;
    if (folder)
        step = CopyOne(JoinFolder(*folder, kCvtool), kCvtool);
    else
        failed_ = true;
    Progress(ProgressStep::kCvtool, kCvtool);
    return step;
}

void Run::WriteIniAndBatch() {
    const Bstr folder = Bstr::FromUtf8(choices_.destination);
    const Bstr base = Bstr::FromUtf8(choices_.baseName);
    const LONG mask = choices_.subsystemMask;
    Engine(choices_.baseName + ".ini", workspace_->DumpIniToFloppy(folder.get(), base.get(), mask));
    Progress(ProgressStep::kIni, choices_.baseName + ".ini");
    if (!choices_.batchFile)
        return;
    // The batch file names the files as they lie beside it on the media.
    const bool bios = choices_.copyBios && !choices_.biosPath.empty();
    const bool lang = !modular_ && choices_.copyLangPack && !choices_.langPackPath.empty();
    const Bstr biosName = Bstr::FromUtf8(bios ? FileName(choices_.biosPath) : std::string());
    const Bstr langName = Bstr::FromUtf8(lang ? FileName(choices_.langPackPath) : std::string());
    if (Engine("autoexec.bat", workspace_->ModifyAutoexecBatFile(folder.get())))
        Engine("cvk.bat",
               workspace_->DumpBatchToFloppy(folder.get(), base.get(), biosName.get(),
                                             langName.get(), mask, choices_.commandMask));
    Progress(ProgressStep::kBatch, "cvk.bat");
}

Step Run::CopyFlashUtility() {
    if (!choices_.copyRomwrite)
        return Step::kDone;
    bool cancelled = false;
    const std::optional<std::string> folder =
        modular_ ? ToolFolder(choices_.romwriteFolder, {kRomwrite2, kRomwrite},
                              kRomwrite2FolderPrompt, kRomwriteNotFound, &cancelled)
                 : ToolFolder(choices_.romwriteFolder, {kRomwrite}, kRomwriteFolderPrompt,
                              kRomwriteNotFound, &cancelled);
    Step step = Step::kFailed;
    std::string name = kRomwrite;
    if (folder) {
        name = FlashUtilityName(*folder, modular_);
        step = CopyOne(JoinFolder(*folder, name), name);
    } else {
        failed_ = true;
    }
    Progress(ProgressStep::kFlashUtility, name);
    return step == Step::kFailed ? Step::kDone : step;
}

// Copies `file` and the file of the same name with `extension` beside it; a BIOS file says
// which of the two failed.
Step Run::CopyWithCompanion(const std::string& file, const char* extension, bool bios) {
    for (const std::string& source : {file, SiblingWithExtension(file, extension)}) {
        const Step step = CopyOne(source, FileName(source));
        if (EndsRun(step))
            return step;
        if (step == Step::kFailed && bios)
            Tell(132, FillIn(kBiosCopyFailed, {source}));
    }
    return Step::kDone;
}

Step Run::CopyLangPack() {
    if (modular_ || !choices_.copyLangPack)
        return Step::kDone;
    if (choices_.langPackPath.empty()) {
        Tell(0, kLangPackNotSpecified, Severity::kWarning);
        return Step::kDone;
    }
    const std::string& pack = choices_.langPackPath;
    if (const Step step = CopyWithCompanion(pack, ".sln", false); EndsRun(step))
        return step;
    Progress(ProgressStep::kLangPack, FileName(pack));
    return Step::kDone;
}

Step Run::CopyBiosFiles() {
    if (!choices_.copyBios)
        return Step::kDone;
    if (choices_.biosPath.empty()) {
        Tell(0, kBiosNotSpecified, Severity::kWarning);
        return Step::kDone;
    }
    const std::string& bios = choices_.biosPath;
    if (const Step step = CopyWithCompanion(bios, ".sig", true); EndsRun(step))
        return step;
    const std::string folder = fs::path(bios).parent_path().string();
    for (const std::string& name : ReadContinuationNames(bios)) {
        if (name.empty()) {
            Tell(199, kInvalidBiosFile);
            failed_ = true;
            break;
        }
        const std::string source = JoinFolder(folder, name);
        if (::access(source.c_str(), F_OK) != 0) {
            Tell(133, FillIn(kBiosFileMissing, {name}));
            failed_ = true;
            continue;
        }
        if (const Step step = CopyOne(source, name); EndsRun(step))
            return step;
    }
    Progress(ProgressStep::kBios, FileName(bios));
    return Step::kDone;
}

Step Run::Execute() {
    if (!workspace_) {
        Tell(183, kUnexpectedError);
        return Step::kFailed;
    }
    if (!IsDosBaseName(choices_.baseName)) {
        Tell(0, FillIn(kBadBaseName, {choices_.baseName}), Severity::kWarning);
        return Step::kFailed;
    }
    if (choices_.copyCvtool) {
        const Step step = CopyCvtool();
        if (EndsRun(step))
            return step;
    } else if (ListFolder(choices_.destination) != 0) {
        Tell(205, kDiskError);
        return Step::kFailed;
    }
    VARIANT_BOOL flex = VARIANT_FALSE;
    modular_ = SUCCEEDED(workspace_->IsFlexAvailable(&flex)) && flex != VARIANT_FALSE;
    WriteIniAndBatch();
    for (Step (Run::*copy)() : {&Run::CopyFlashUtility, &Run::CopyLangPack, &Run::CopyBiosFiles}) {
        const Step step = (this->*copy)();
        if (EndsRun(step))
            return step;
    }
    if (failed_) {
        Tell(200, kRunFailed);
        return Step::kFailed;
    }
    Progress(ProgressStep::kDone, "done");
    Tell(168, kCopySucceeded, Severity::kInformation);
    return Step::kDone;
}

} // namespace

MediaRun WriteMedia(IWorkspace* workspace, const MediaChoices& choices,
                    const MediaCallbacks& callbacks) {
    for (;;) {
        Run run(workspace, choices, callbacks);
        switch (run.Execute()) {
        case Step::kDone:
            return MediaRun::kSucceeded;
        case Step::kFailed:
            return MediaRun::kFailed;
        case Step::kCancelled:
            return MediaRun::kCancelled;
        case Step::kRetry:
            break;
        }
    }
}

std::string FlashUtilityName(const std::string& folder, bool modularBios) {
    return modularBios && FolderHolds(folder, kRomwrite2) ? kRomwrite2 : kRomwrite;
}

bool FolderHolds(const std::string& folder, const std::string& name) {
    struct stat info {};
    return ::stat(JoinFolder(folder, name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace cvk::media
