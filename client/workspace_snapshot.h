// A workspace read once through the engine's interfaces into plain values: the CMOS tree with
// every answer, the SMBIOS strings, the thermal values and the modules. Comparisons, searches
// and exports work on these, so that two builds need never be open at the same time.
#pragma once

#include "engine/include/cvkserver.h"
#include "platform/com/comptr.h"

#include <optional>
#include <string>
#include <vector>

namespace cvkclient {

// Names below a tree's root group; for a setting, its groups followed by its own name.
using Path = std::vector<std::string>;

struct CmosSetting {
    Path groups;        // the group names below the root group
    std::string parent; // the name of the group that holds it (the root's for the root's own)
    std::string name;
    std::string keyword; // empty when the setting has none
    std::string help;
    std::vector<std::string> choices;
    std::vector<SHORT> values; // each choice's CMOS value
    int defaultChoice = -1;    // index into choices; -1 for none
    int currentChoice = -1;
    bool locked = false;
    bool hidden = false;
    bool needsReview = false;
    LONG token = 0;
    LONG bitOffset = 0; // 0: the setting has no place in the image
    int group = -1;     // index into CmosTree::groups; -1 for the root group's own settings

    Path FullPath() const;
    const std::string* Current() const;
    const std::string* Default() const;
};

// Settings in tree order: a group's own settings, then its child groups, depth first (the order
// in which searches by keyword and by name find a setting first).
struct CmosTree {
    std::vector<Path> groups; // every group below the root, in the same order
    std::vector<CmosSetting> settings;
    LONG maxLocked = 0;
    LONG maxHidden = 0;
};

struct Identification {
    std::string biosId;
    std::string version;
    std::string buildDate;
};

struct ModuleInfo {
    LONG handle = 0;
    std::string name;
    const char* type = "normal";
    LONG size = 0;
    bool in = false;
    bool isDefault = false;
    bool required = false;
};

struct LogoInfo {
    LONG handle = 0;
    std::string image; // empty: the build's own picture
    bool displayBadge = false;
    LONG badgeX = 0;
    LONG badgeY = 0;
};

struct ThermalValue {
    Path path; // group names below the root and the setting's name
    std::string value;
    std::string description;
};

struct SmbiosValue {
    std::string key;
    std::string name;
    std::string value;
    bool prompt = false;
};

struct WorkspaceSnapshot {
    Identification id;
    std::string mapFile;
    LONG mask = 0;
    std::optional<CmosTree> cmos;
    std::vector<SmbiosValue> smbios;
    std::vector<ThermalValue> thermal;
    std::optional<std::vector<ModuleInfo>> modules;
    LONG flashPartSize = 0;
    std::optional<LogoInfo> logo;
};

// Reads the CMOS tree of `workspace`; none when the workspace has no CMOS object.
HRESULT ReadCmosTree(IWorkspace* workspace, std::optional<CmosTree>* tree);

// Reads everything of `workspace` that its subsystems hold.
HRESULT ReadWorkspace(IWorkspace* workspace, WorkspaceSnapshot* snapshot);

// What a build brings of its own: a fresh workspace of the map file with the CMOS settings and,
// when a modular flash image lies beside it, the modules, read and closed again.
HRESULT ReadMapFile(IServer* server, const std::string& mapFile, WorkspaceSnapshot* snapshot);
// The same through a server of its own: a server holds one workspace at a time, and a client
// that keeps a workspace open on its server reads another build beside it this way.
HRESULT ReadMapFileAside(const std::string& mapFile, WorkspaceSnapshot* snapshot);
// A server of the client's own, for work beside the workspace that its main server holds.
HRESULT CreateServerAside(cvk::ComPtr<IServer>* server);

// A fresh workspace of `mapFile` with the components `mask`, read and closed again: the
// defaults a workspace of that map file is compared with.
HRESULT ReadFreshWorkspace(IServer* server, const std::string& mapFile, LONG mask,
                           WorkspaceSnapshot* snapshot);
// The same through a server of its own, beside the workspace the client's server holds.
HRESULT ReadFreshWorkspaceAside(const std::string& mapFile, LONG mask, WorkspaceSnapshot* snapshot);

// A workspace file opened, read and closed again; the file is not written.
HRESULT ReadWorkspaceFile(IServer* server, const std::string& file, WorkspaceSnapshot* snapshot);

// Letter case folded as the engine folds it for Windows-1252 text.
std::u16string FoldCase(std::u16string_view text);
std::u16string FoldCase(const std::string& utf8);

} // namespace cvkclient
