// cvk commands that edit a workspace (and save it back) or write its outputs.
#include "tools/cvk/edit_commands.h"

#include "client/edits/cmos_edits.h"
#include "client/edits/edit_list.h"
#include "client/edits/thermal_smbios_edits.h"
#include "client/module_selection.h"
#include "client/module_type.h"
#include "platform/com/bstr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/runtime.h"
#include "tools/cvk/batch_stage.h"
#include "tools/cvk/components.h"
#include "tools/cvk/dropped_edits.h"
#include "tools/cvk/engine_client.h"
#include "tools/cvk/ini_warnings.h"
#include "tools/cvk/session.h"

#include <cstdio>
#include <filesystem>

namespace cvktool {

using namespace cvkedit;

namespace {

using cvk::Bstr;
using cvk::ComPtr;

// Opens the workspace, runs `edit`, and saves the workspace back when the edit changed it.
// The edit returns S_OK, S_FALSE (done and saved, but it reported a warning: exit 1) or a
// failure, which leaves the file as it was.
int EditWorkspace(const std::string& file, const WorkspaceEdit& edit) {
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Open(file))
        return *failed;
    std::string what = "edit \"" + file + "\"";
    ClearErrorText();
    const HRESULT hr = edit(session.workspace(), &what);
    if (FAILED(hr))
        return ReportFailure(what, hr);
    if (auto failed = session.Save())
        return *failed;
    return hr == S_FALSE ? kExitEngine : kExitOk;
}

// Opens the workspace and runs `work`, which does not change it (nothing is saved).
int UseWorkspace(const std::string& file, const WorkspaceEdit& work) {
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Open(file))
        return *failed;
    std::string what = "\"" + file + "\"";
    ClearErrorText();
    const HRESULT hr = work(session.workspace(), &what);
    return FAILED(hr) ? ReportFailure(what, hr) : kExitOk;
}

// Splits "NAME=VALUE" at the first "=".
bool SplitAssignment(const std::string& text, std::string* name, std::string* value) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0)
        return false;
    *name = text.substr(0, equals);
    *value = text.substr(equals + 1);
    return true;
}

// A word that is not NAME=VALUE is a usage error, found before the workspace is opened.
std::optional<int> CheckAssignments(const char* command,
                                    const std::vector<std::string>& assignments) {
    std::string name, value;
    for (const std::string& text : assignments)
        if (!SplitAssignment(text, &name, &value))
            return ReportUsage(std::string(command) + ": \"" + text +
                               "\" is not of the form NAME=VALUE");
    return std::nullopt;
}

LONG OutputMask(IWorkspace* workspace, std::optional<LONG> given, LONG allowed, HRESULT* hr) {
    if (given)
        return *given;
    LONG mask = 0;
    *hr = workspace->get_SubsystemMask(&mask);
    return mask & allowed;
}

std::string YesNo(VARIANT_BOOL flag) {
    return flag ? "yes" : "no";
}

HRESULT PrintModule(IFlexModule* module) {
    LONG handle = 0, size = 0;
    VARIANT_BOOL in = VARIANT_FALSE, required = VARIANT_FALSE, isDefault = VARIANT_FALSE;
    MODULE_TYPE type = CVK_MOD_TYPE_NORMAL;
    Bstr name;
    CVK_RETURN_IF_FAILED(module->get_Handle(&handle));
    CVK_RETURN_IF_FAILED(module->get_Size(&size));
    CVK_RETURN_IF_FAILED(module->get_InUpdate(&in));
    CVK_RETURN_IF_FAILED(module->get_Required(&required));
    CVK_RETURN_IF_FAILED(module->get_Default(&isDefault));
    CVK_RETURN_IF_FAILED(module->get_Type(&type));
    CVK_RETURN_IF_FAILED(module->get_ShortDescription(name.put()));
    std::vector<LONG> dependencies;
    CVK_RETURN_IF_FAILED(cvkclient::ReadDependencies(module, &dependencies));
    std::string depends;
    for (LONG dependency : dependencies)
        depends += (depends.empty() ? " (needs " : ", ") + HandleText(dependency);
    std::printf("%6s  %-3s %-8s %-8s %-8s %10d  %s%s\n", HandleText(handle).c_str(),
                YesNo(in).c_str(), required ? "required" : "", isDefault ? "default" : "",
                cvkclient::ModuleTypeName(type), static_cast<int>(size), name.utf8().c_str(),
                depends.empty() ? "" : (depends + ")").c_str());
    return S_OK;
}

HRESULT PrintSpace(IFlex* flex) {
    LONG flash = 0, maximum = 0, current = 0, selected = 0;
    VARIANT_BOOL valid = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(flex->get_FlashPartSize(&flash));
    CVK_RETURN_IF_FAILED(flex->get_MaxOptionalModuleSpace(&maximum));
    CVK_RETURN_IF_FAILED(flex->get_CurrentOptionalModuleSpace(&current));
    CVK_RETURN_IF_FAILED(flex->get_NumOptionalModuleBytesSelected(&selected));
    CVK_RETURN_IF_FAILED(flex->get_ValidUpdate(&valid));
    std::printf("Flash part size: %d bytes\n", static_cast<int>(flash));
    std::printf("Optional space:  %d bytes, %d selected, %d left\n", static_cast<int>(maximum),
                static_cast<int>(selected), static_cast<int>(current));
    // The GUI's space line; without optional space the percentage has no value.
    if (maximum > 0)
        std::printf("Total Module Space Consumed:  %lld%%\n",
                    static_cast<long long>(selected) * 100 / maximum);
    else
        std::printf("Total Module Space Consumed:  -\n");
    std::printf("Valid update:    %s\n", YesNo(valid).c_str());
    return S_OK;
}

} // namespace

int RunSet(const std::string& file, const std::vector<std::string>& assignments) {
    if (auto bad = CheckAssignments("set", assignments))
        return *bad;
    return EditWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        std::vector<CmosEdit> edits;
        for (const std::string& text : assignments) {
            CmosEdit edit;
            std::string name, choice;
            SplitAssignment(text, &name, &choice);
            edit.setting = ParseSettingAddress(name);
            edit.choice = choice;
            edits.push_back(edit);
        }
        CVK_RETURN_IF_FAILED(ApplyCmosEdits(workspace, edits, what));
        WarnBootClashes(workspace);
        return S_OK;
    });
}

int RunMark(const std::string& file, Mark mark, const std::vector<std::string>& names) {
    return EditWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        std::vector<CmosEdit> edits;
        for (const std::string& name : names) {
            CmosEdit edit;
            edit.setting = ParseSettingAddress(name);
            if (mark == Mark::kLock || mark == Mark::kUnlock)
                edit.locked = mark == Mark::kLock;
            else
                edit.hidden = mark == Mark::kHide;
            edits.push_back(edit);
        }
        return ApplyCmosEdits(workspace, edits, what);
    });
}

int RunReviewed(const std::string& file) {
    return EditWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        *what = "reviewed";
        ComPtr<ICmos> cmos;
        CVK_RETURN_IF_FAILED(GetCmos(workspace, &cmos));
        return cmos->ClearAllReviewFlags();
    });
}

int RunDefaults(const std::string& file) {
    return EditWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        *what = "defaults";
        ComPtr<ICmos> cmos;
        CVK_RETURN_IF_FAILED(GetCmos(workspace, &cmos));
        return cmos->RestoreHalvexDefaults();
    });
}

int RunComponents(const std::string& file, LONG mask) {
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Open(file))
        return *failed;
    LONG before = 0, dropped = 0;
    if (SUCCEEDED(session.workspace()->get_SubsystemMask(&before)) && (before & ~mask))
        dropped = SubsystemsWithEdits(session.workspace()) & before & ~mask;
    ClearErrorText();
    const HRESULT hr = session.server()->ChangeWorkspace(session.workspace(), mask);
    if (FAILED(hr))
        return ReportFailure("cannot change the components of \"" + file + "\"", hr);
    if (auto failed = session.Save())
        return *failed;
    LONG now = 0;
    if (SUCCEEDED(session.workspace()->get_SubsystemMask(&now)))
        std::printf("%s now has %s\n", file.c_str(), DescribeMask(now).c_str());
    for (const std::string& name : ComponentNames(dropped & ~now))
        std::fprintf(stderr,
                     "cvk: warning: the component %s held edits; they were dropped with it and "
                     "its values are back at the BIOS image's defaults\n",
                     name.c_str());
    return kExitOk;
}

int RunUpdate(const std::string& file, const std::string& mapFile) {
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Open(file))
        return *failed;
    const std::string map = AbsolutePath(mapFile);
    ClearErrorText();
    HRESULT hr = session.server()->UpdateWorkspace(session.workspace(), Wide(map).get());
    if (FAILED(hr))
        return ReportFailure("cannot update \"" + file + "\" to \"" + map + "\"", hr);
    if (auto failed = session.Save())
        return *failed;
    LONG mask = 0;
    hr = session.workspace()->get_SubsystemMask(&mask);
    // The update makes a new module object from the new flash image, by design.
    if (SUCCEEDED(hr) && (mask & SUBSYS_FLEX))
        std::fprintf(stderr, "cvk: warning: the module selection and the logo were reset to the "
                             "new BIOS image's defaults\n");
    if (FAILED(hr) || !(mask & SUBSYS_CMOS))
        return kExitOk;
    ComPtr<ICmos> cmos;
    std::vector<std::string> review;
    hr = GetCmos(session.workspace(), &cmos);
    if (SUCCEEDED(hr))
        hr = ListSettingsForReview(cmos.get(), &review);
    if (FAILED(hr))
        return ReportFailure("cannot list the settings to review", hr);
    std::printf("%zu setting(s) need review\n", review.size());
    for (const std::string& line : review)
        std::printf("  %s\n", line.c_str());
    return kExitOk;
}

int RunApply(const std::string& file, const std::string& editsFile) {
    EditList edits;
    std::string error;
    if (!ReadEditList(editsFile, &edits, &error)) {
        std::fprintf(stderr, "cvk: cannot read \"%s\": %s\n", editsFile.c_str(), error.c_str());
        return kExitEngine;
    }
    return EditWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        PrintedLog log;
        CVK_RETURN_IF_FAILED(ApplyEditList(workspace, edits, what, log));
        WarnInvalidSelection(workspace, log);
        WarnBootClashes(workspace);
        return S_OK;
    });
}

int RunSmbios(const std::string& file, const std::vector<std::string>& assignments,
              std::optional<bool> prompt) {
    return EditWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        std::vector<SmbiosEdit> edits;
        for (const std::string& text : assignments) {
            SmbiosEdit edit;
            std::string value;
            if (SplitAssignment(text, &edit.key, &value))
                edit.value = value;
            else
                edit.key = text; // only the prompt flag changes
            edit.prompt = prompt;
            edits.push_back(edit);
        }
        PrintedLog log;
        return ApplySmbiosEdits(workspace, edits, what, log);
    });
}

int RunThermal(const std::string& file, const std::vector<std::string>& assignments) {
    if (auto bad = CheckAssignments("thermal", assignments))
        return *bad;
    return EditWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        std::vector<ThermalEdit> edits;
        for (const std::string& text : assignments) {
            ThermalEdit edit;
            std::string path;
            SplitAssignment(text, &path, &edit.value);
            edit.path = SplitPath(path);
            edits.push_back(edit);
        }
        return ApplyThermalEdits(workspace, edits, what);
    });
}

int RunModules(const std::string& file) {
    return UseWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        *what = "modules";
        ComPtr<IFlex> flex;
        CVK_RETURN_IF_FAILED(GetFlex(workspace, &flex));
        Bstr version;
        CVK_RETURN_IF_FAILED(flex->get_BiosFileVersion(version.put()));
        std::vector<ComPtr<IFlexModule>> modules;
        CVK_RETURN_IF_FAILED(GetModules(flex.get(), &modules));
        std::printf("BIOS file version: %s\n", version.utf8().c_str());
        std::printf("%6s  %-3s %-8s %-8s %-8s %10s  %s\n", "Handle", "In", "Status", "Default",
                    "Type", "Size", "Module");
        for (const ComPtr<IFlexModule>& module : modules)
            CVK_RETURN_IF_FAILED(PrintModule(module.get()));
        return PrintSpace(flex.get());
    });
}

int RunModule(const std::string& file, LONG handle, bool in) {
    return EditWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        ModuleEdit edit;
        edit.handle = handle;
        edit.in = in;
        PrintedLog log;
        CVK_RETURN_IF_FAILED(ApplyModuleEdits(workspace, {edit}, what, log));
        WarnInvalidSelection(workspace, log);
        return S_OK;
    });
}

int RunFlashSize(const std::string& file, LONG bytes) {
    return EditWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        CVK_RETURN_IF_FAILED(ApplyFlashSize(workspace, bytes, what));
        PrintedLog log;
        WarnInvalidSelection(workspace, log);
        return S_OK;
    });
}

int RunLogo(const std::string& file, const LogoEdit& edit) {
    return EditWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        CVK_RETURN_IF_FAILED(ApplyLogoEdit(workspace, edit, what));
        PrintedLog log;
        WarnInvalidSelection(workspace, log);
        return S_OK;
    });
}

int RunBios(const std::string& file, const std::string& outFile) {
    return UseWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        *what = "cannot write the BIOS file \"" + outFile + "\"";
        ComPtr<IFlex> flex;
        CVK_RETURN_IF_FAILED(GetFlex(workspace, &flex));
        CVK_RETURN_IF_FAILED(CreateBiosFile(flex.get(), AbsolutePath(outFile)));
        std::printf("wrote %s\n", outFile.c_str());
        return S_OK;
    });
}

int RunIni(const std::string& file, const std::string& outFile, std::optional<LONG> given) {
    return UseWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        *what = "cannot write the INI file \"" + outFile + "\"";
        HRESULT hr = S_OK;
        const LONG mask = OutputMask(workspace, given, ~0, &hr);
        CVK_RETURN_IF_FAILED(hr);
        CVK_RETURN_IF_FAILED(workspace->DumpIni(Wide(AbsolutePath(outFile)).get(), mask, 0));
        std::printf("wrote %s with %s\n", outFile.c_str(), DescribeMask(mask).c_str());
        WarnAboutIniFile(workspace, mask);
        return S_OK;
    });
}

int RunReport(const std::string& file, const std::string& outFile, std::optional<LONG> given) {
    return UseWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        *what = "cannot write the report \"" + outFile + "\"";
        HRESULT hr = S_OK;
        const LONG mask = OutputMask(workspace, given, ~0, &hr);
        CVK_RETURN_IF_FAILED(hr);
        ComPtr<IReport> report;
        CVK_RETURN_IF_FAILED(workspace->get_Report(report.put()));
        CVK_RETURN_IF_FAILED(report->GenerateReport(Wide(AbsolutePath(outFile)).get(), mask));
        std::printf("wrote %s with %s\n", outFile.c_str(), DescribeMask(mask).c_str());
        // A report is read as the record of the INI file of the same components.
        WarnAboutIniFile(workspace, mask);
        return S_OK;
    });
}

int RunBatch(const std::string& file, const BatchOptions& options) {
    return UseWorkspace(file, [&](IWorkspace* workspace, std::string* what) {
        HRESULT hr = S_OK;
        // The media wizard's component boxes: every subsystem but the modules.
        const LONG mask = OutputMask(
            workspace, options.mask,
            SUBSYS_CMOS | SUBSYS_SMBIOS | SUBSYS_ENVCTL | SUBSYS_SPLASH | SUBSYS_BOM, &hr);
        CVK_RETURN_IF_FAILED(hr);
        const LONG commands = (options.log ? 1 : 0) | (options.report ? 2 : 0);
        // The files are written aside and moved in together: a run that fails on the way (a
        // refused base name, a full disk) leaves no batch file that names an older INI file.
        BatchStage stage;
        const std::string ini = options.baseName + ".ini";
        *what = "cannot prepare \"" + options.folder + "\"";
        CVK_RETURN_IF_FAILED(stage.Create(AbsolutePath(options.folder), {"autoexec.bat"}));
        const Bstr folder = Wide(stage.folder()), base = Wide(options.baseName);
        // The batch file names the files as they will lie beside it on the media.
        const Bstr bios = Wide(std::filesystem::path(options.biosFile).filename().string());
        const Bstr lang = Wide(std::filesystem::path(options.langFile).filename().string());
        *what = "cannot write the INI file \"" + ini + "\" in \"" + options.folder + "\"";
        CVK_RETURN_IF_FAILED(workspace->DumpIniToFloppy(folder.get(), base.get(), mask));
        *what = "cannot edit autoexec.bat in \"" + options.folder + "\"";
        CVK_RETURN_IF_FAILED(workspace->ModifyAutoexecBatFile(folder.get()));
        *what = "cannot write cvk.bat in \"" + options.folder + "\"";
        CVK_RETURN_IF_FAILED(workspace->DumpBatchToFloppy(folder.get(), base.get(), bios.get(),
                                                          lang.get(), mask, commands));
        *what = "cannot write the batch files in \"" + options.folder + "\"";
        CVK_RETURN_IF_FAILED(stage.Commit({ini, "autoexec.bat", "cvk.bat"}));
        std::printf("wrote %s.ini, autoexec.bat and cvk.bat in %s with %s\n",
                    options.baseName.c_str(), options.folder.c_str(), DescribeMask(mask).c_str());
        WarnAboutIniFile(workspace, mask);
        return S_OK;
    });
}

} // namespace cvktool
