// The registration store: registry-like keys and named string values kept in a text file.
#pragma once

#include "platform/com/types.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvk::registry {

// Two stores, as the registry has a user part and a machine part: lookups read the user's store
// first, then the machine's; edits go to the store of the process's edit scope (the user's
// unless a system installer chose the machine's).
enum class Scope { User, Machine };

// The user's store: `$CORVANE_REGISTRY` when set, else `$XDG_CONFIG_HOME/corvane/registry`,
// else `~/.config/corvane/registry`.
CVK_COM_API std::string UserStorePath();
// The machine-wide store that a system package writes: `$CORVANE_MACHINE_REGISTRY` when set,
// else /var/lib/corvane/registry.
CVK_COM_API std::string MachineStorePath();
// Where edits of this process go (the user's store by default).
CVK_COM_API void SetEditScope(Scope scope);
CVK_COM_API Scope EditScope();
// The store that edits go to.
CVK_COM_API std::string StorePath();

// Orders paths and names without regard to ASCII case, as the registry does, and sorts a key
// just before its subkeys.
struct CVK_COM_API NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// The whole store in memory. Key paths are backslash-separated ("CLSID\{...}\InprocServer32");
// value names are case-insensitive too, and the empty name is the key's default value. Text is
// UTF-8. A key exists when it was created or when any key below it exists.
class CVK_COM_API Store {
public:
    Store() = default;
    explicit Store(std::string path) : path_(std::move(path)) {}

    // Reads the file at `path`; a missing file is an empty store. REGDB_E_READREGDB when the
    // file cannot be read or is not a store.
    static HRESULT Load(const std::string& path, Store* store);
    // Writes the store to its path through a temporary file and a rename, so that readers see
    // the old store or the new one, never a torn one. REGDB_E_WRITEREGDB on failure.
    HRESULT Save() const;

    const std::string& path() const { return path_; }
    std::string Text() const;
    // Replaces the contents with those of `text`; REGDB_E_READREGDB when malformed.
    HRESULT Parse(std::string_view text);

    // E_INVALIDARG for an empty path, an empty component or a line break in a name.
    HRESULT CreateKey(std::string_view key);
    HRESULT SetValue(std::string_view key, std::string_view name, std::string_view value);
    // REGDB_E_KEYMISSING when the key or the value is absent.
    HRESULT GetValue(std::string_view key, std::string_view name, std::string* value) const;
    bool HasKey(std::string_view key) const;
    // S_FALSE when there was nothing to delete.
    HRESULT DeleteValue(std::string_view key, std::string_view name);
    // Deletes the key and every key below it; S_FALSE when there was nothing to delete.
    HRESULT DeleteTree(std::string_view key);
    // The names of the key's immediate subkeys.
    std::vector<std::string> SubKeys(std::string_view key) const;

private:
    using Values = std::map<std::string, std::string, NameLess>;
    std::string path_;
    std::map<std::string, Values, NameLess> keys_;
};

// One-step edits of the store at StorePath(): load, change, save. Edits made by one process
// are serialised; separate processes writing at once are not expected.
CVK_COM_API HRESULT SetValue(std::string_view key, std::string_view name, std::string_view value);
CVK_COM_API HRESULT DeleteTree(std::string_view key);
// Reads the value from the user's store, or from the machine's when the user's lacks it.
CVK_COM_API HRESULT GetValue(std::string_view key, std::string_view name, std::string* value);
// Loads the store at StorePath(), lets `edit` change it, and saves it when `edit` succeeds.
template <class Edit> HRESULT EditStore(Edit&& edit);

// What registering one in-process class writes.
struct ClassRegistration {
    CLSID clsid{};
    std::string description;              // default value of the class and identifier keys
    std::string libraryPath;              // InprocServer32's default value
    std::string threadingModel;           // "Apartment", "Both"; empty writes none
    std::string progId;                   // versioned, e.g. "cvtool.Server.1"; empty writes none
    std::string versionIndependentProgId; // e.g. "cvtool.Server"; empty writes none
    bool programmable = false;            // the empty "Programmable" subkey
    std::optional<GUID> typeLib;          // the "TypeLib" subkey's value
};

// Writes CLSID\{clsid} with InprocServer32 (and ThreadingModel), ProgID,
// VersionIndependentProgID, Programmable and TypeLib, and the identifier keys with their
// CLSID (and CurVer for the version-independent one).
CVK_COM_API HRESULT RegisterClass(Store& store, const ClassRegistration& reg);
// Removes the class key, and each identifier key that still names this class.
CVK_COM_API HRESULT UnregisterClass(Store& store, const ClassRegistration& reg);

struct TypeLibRegistration {
    GUID libid{};
    std::string version = "1.0";
    std::string name;        // e.g. "CvkServer 1.0 Type Library"
    std::string libraryPath; // the library that describes the types
};

// TypeLib\{libid}\<version> with the name, "0\linux" naming the library, FLAGS and HELPDIR.
CVK_COM_API HRESULT RegisterTypeLib(Store& store, const TypeLibRegistration& reg);
// Removes the version's key, and the library's key when no version remains.
CVK_COM_API HRESULT UnregisterTypeLib(Store& store, const TypeLibRegistration& reg);

// Serialises one-step edits within the process.
CVK_COM_API void LockStore();
CVK_COM_API void UnlockStore();

template <class Edit> HRESULT EditStore(Edit&& edit) {
    struct Guard {
        Guard() { LockStore(); }
        ~Guard() { UnlockStore(); }
    } guard;
    Store store;
    HRESULT hr = Store::Load(StorePath(), &store);
    if (FAILED(hr))
        return hr;
    hr = edit(store);
    if (FAILED(hr))
        return hr;
    HRESULT saved = store.Save();
    return FAILED(saved) ? saved : hr;
}

} // namespace cvk::registry
