// The registration store's text file: reading, writing and editing it.
#include "platform/com/registry.h"

#include "platform/com/guid.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace cvk::registry {
namespace {

constexpr std::string_view kHeader = "; Corvane registration store\n";

// Folds ASCII case; the separator sorts before every other character so that a key comes
// right before its subkeys.
unsigned char SortKey(char c) {
    if (c == '\\')
        return 0;
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c - 'A' + 'a');
    return static_cast<unsigned char>(c);
}

bool EqualNames(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (SortKey(a[i]) != SortKey(b[i]))
            return false;
    return true;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// A key path without leading or trailing separators; nothing when a component is empty or a
// name holds a line break.
std::optional<std::string> NormalisedKey(std::string_view key) {
    while (!key.empty() && key.front() == '\\')
        key.remove_prefix(1);
    while (!key.empty() && key.back() == '\\')
        key.remove_suffix(1);
    if (key.empty() || HasLineBreak(key) || key.find("\\\\") != std::string_view::npos)
        return std::nullopt;
    return std::string(key);
}

bool IsBelow(std::string_view candidate, std::string_view key) {
    return candidate.size() > key.size() && candidate[key.size()] == '\\' &&
           EqualNames(candidate.substr(0, key.size()), key);
}

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out.push_back(c);
        }
    }
    return out + "\"";
}

// Reads a quoted string starting at text[*at] (the opening quote) and moves past it.
std::optional<std::string> Unquoted(std::string_view text, std::size_t* at) {
    if (*at >= text.size() || text[*at] != '"')
        return std::nullopt;
    std::string out;
    for (std::size_t i = *at + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            *at = i + 1;
            return out;
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            out.push_back('\\');
            break;
        case '"':
            out.push_back('"');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case 't':
            out.push_back('\t');
            break;
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::mutex& StoreMutex() {
    static std::mutex m;
    return m;
}

std::string DefaultStorePath() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/corvane/registry";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config/corvane/registry";
    return ".corvane-registry";
}

} // namespace

bool NameLess::operator()(std::string_view a, std::string_view b) const {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = SortKey(a[i]);
        unsigned char y = SortKey(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

namespace {
Scope editScope = Scope::User;
} // namespace

std::string UserStorePath() {
    if (const char* path = std::getenv("CORVANE_REGISTRY"); path && *path)
        return path;
    return DefaultStorePath();
}

std::string MachineStorePath() {
    if (const char* path = std::getenv("CORVANE_MACHINE_REGISTRY"); path && *path)
        return path;
    return "/var/lib/corvane/registry";
}

void SetEditScope(Scope scope) {
    editScope = scope;
}

Scope EditScope() {
    return editScope;
}

std::string StorePath() {
    return editScope == Scope::Machine ? MachineStorePath() : UserStorePath();
}

HRESULT Store::Load(const std::string& path, Store* store) {
    if (!store)
        return E_POINTER;
    Store loaded(path);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        *store = std::move(loaded);
        return ec ? REGDB_E_READREGDB : S_OK;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return REGDB_E_READREGDB;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return REGDB_E_READREGDB;
    HRESULT hr = loaded.Parse(text.str());
    if (FAILED(hr))
        return hr;
    *store = std::move(loaded);
    return S_OK;
}

HRESULT Store::Parse(std::string_view text) {
    std::map<std::string, Values, NameLess> keys;
    Values* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                return REGDB_E_READREGDB;
            auto key = NormalisedKey(line.substr(1, line.size() - 2));
            if (!key)
                return REGDB_E_READREGDB;
            current = &keys[*key];
            continue;
        }
        if (!current)
            return REGDB_E_READREGDB;
        std::size_t at = 0;
        std::string name;
        if (line.front() == '@') {
            at = 1;
        } else {
            auto quoted = Unquoted(line, &at);
            if (!quoted || quoted->empty())
                return REGDB_E_READREGDB;
            name = std::move(*quoted);
        }
        if (at >= line.size() || line[at] != '=')
            return REGDB_E_READREGDB;
        ++at;
        auto value = Unquoted(line, &at);
        if (!value || at != line.size())
            return REGDB_E_READREGDB;
        (*current)[name] = std::move(*value);
    }
    keys_ = std::move(keys);
    return S_OK;
}

std::string Store::Text() const {
    std::string out(kHeader);
    for (const auto& [key, values] : keys_) {
        out += "\n[" + key + "]\n";
        for (const auto& [name, value] : values)
            out += (name.empty() ? std::string("@") : Quoted(name)) + "=" + Quoted(value) + "\n";
    }
    return out;
}

HRESULT Store::Save() const {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(path_);
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    fs::path temporary = target;
    temporary += ".tmp" + std::to_string(::getpid());
    std::string text = Text();
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return REGDB_E_WRITEREGDB;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fflush(file) == 0 && written;
    written = ::fsync(::fileno(file)) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
        fs::remove(temporary, ec);
        return REGDB_E_WRITEREGDB;
    }
    return S_OK;
}

HRESULT Store::CreateKey(std::string_view key) {
    auto normal = NormalisedKey(key);
    if (!normal)
        return E_INVALIDARG;
    keys_.try_emplace(*normal);
    return S_OK;
}

HRESULT Store::SetValue(std::string_view key, std::string_view name, std::string_view value) {
    auto normal = NormalisedKey(key);
    if (!normal || HasLineBreak(name))
        return E_INVALIDARG;
    auto& values = keys_[*normal];
    auto found = values.find(name);
    if (found != values.end())
        found->second = std::string(value);
    else
        values.emplace(std::string(name), std::string(value));
    return S_OK;
}

HRESULT Store::GetValue(std::string_view key, std::string_view name, std::string* value) const {
    if (!value)
        return E_POINTER;
    auto normal = NormalisedKey(key);
    if (!normal)
        return E_INVALIDARG;
    auto found = keys_.find(*normal);
    if (found == keys_.end())
        return REGDB_E_KEYMISSING;
    auto named = found->second.find(name);
    if (named == found->second.end())
        return REGDB_E_KEYMISSING;
    *value = named->second;
    return S_OK;
}

bool Store::HasKey(std::string_view key) const {
    auto normal = NormalisedKey(key);
    if (!normal)
        return false;
    auto at = keys_.lower_bound(*normal);
    return at != keys_.end() && (EqualNames(at->first, *normal) || IsBelow(at->first, *normal));
}

HRESULT Store::DeleteValue(std::string_view key, std::string_view name) {
    auto normal = NormalisedKey(key);
    if (!normal)
        return E_INVALIDARG;
    auto found = keys_.find(*normal);
    if (found == keys_.end())
        return S_FALSE;
    return found->second.erase(std::string(name)) ? S_OK : S_FALSE;
}

HRESULT Store::DeleteTree(std::string_view key) {
    auto normal = NormalisedKey(key);
    if (!normal)
        return E_INVALIDARG;
    // The key and its subkeys sort together, right from the key on.
    auto first = keys_.lower_bound(*normal);
    auto last = first;
    while (last != keys_.end() &&
           (EqualNames(last->first, *normal) || IsBelow(last->first, *normal)))
        ++last;
    if (first == last)
        return S_FALSE;
    keys_.erase(first, last);
    return S_OK;
}

std::vector<std::string> Store::SubKeys(std::string_view key) const {
    std::vector<std::string> names;
    auto normal = NormalisedKey(key);
    if (!normal)
        return names;
    for (auto at = keys_.lower_bound(*normal); at != keys_.end(); ++at) {
        if (EqualNames(at->first, *normal))
            continue;
        if (!IsBelow(at->first, *normal))
            break;
        std::string_view rest = std::string_view(at->first).substr(normal->size() + 1);
        std::string_view child = rest.substr(0, rest.find('\\'));
        if (names.empty() || !EqualNames(names.back(), child))
            names.emplace_back(child);
    }
    return names;
}

void LockStore() {
    StoreMutex().lock();
}
void UnlockStore() {
    StoreMutex().unlock();
}

HRESULT SetValue(std::string_view key, std::string_view name, std::string_view value) {
    return EditStore([&](Store& store) { return store.SetValue(key, name, value); });
}

HRESULT DeleteTree(std::string_view key) {
    return EditStore([&](Store& store) { return store.DeleteTree(key); });
}

namespace {

HRESULT GetValueFrom(const std::string& path, std::string_view key, std::string_view name,
                     std::string* value) {
    Store store;
    HRESULT hr = Store::Load(path, &store);
    if (FAILED(hr))
        return hr;
    return store.GetValue(key, name, value);
}

} // namespace

HRESULT GetValue(std::string_view key, std::string_view name, std::string* value) {
    std::lock_guard lock(StoreMutex());
    HRESULT hr = GetValueFrom(UserStorePath(), key, name, value);
    if (hr != REGDB_E_KEYMISSING)
        return hr;
    return GetValueFrom(MachineStorePath(), key, name, value);
}

namespace {

std::string ClassKey(const CLSID& clsid) {
    return "CLSID\\" + FormatGuid(clsid);
}

HRESULT WriteProgId(Store& store, const std::string& progId, const ClassRegistration& reg) {
    HRESULT hr = store.SetValue(progId, "", reg.description);
    if (SUCCEEDED(hr))
        hr = store.SetValue(progId + "\\CLSID", "", FormatGuid(reg.clsid));
    return hr;
}

// Removes an identifier key only while it still names this class: another library may have
// taken the identifier over since.
void RemoveProgIdOf(Store& store, const std::string& progId, const CLSID& clsid) {
    if (progId.empty())
        return;
    std::string named;
    if (FAILED(store.GetValue(progId + "\\CLSID", "", &named)))
        return;
    auto parsed = ParseGuid(named);
    if (parsed && *parsed == clsid)
        store.DeleteTree(progId);
}

} // namespace

HRESULT RegisterClass(Store& store, const ClassRegistration& reg) {
    std::string key = ClassKey(reg.clsid);
    HRESULT hr = store.SetValue(key, "", reg.description);
    if (SUCCEEDED(hr))
        hr = store.SetValue(key + "\\InprocServer32", "", reg.libraryPath);
    if (SUCCEEDED(hr) && !reg.threadingModel.empty())
        hr = store.SetValue(key + "\\InprocServer32", "ThreadingModel", reg.threadingModel);
    if (SUCCEEDED(hr) && !reg.progId.empty())
        hr = store.SetValue(key + "\\ProgID", "", reg.progId);
    if (SUCCEEDED(hr) && !reg.versionIndependentProgId.empty())
        hr = store.SetValue(key + "\\VersionIndependentProgID", "", reg.versionIndependentProgId);
    if (SUCCEEDED(hr) && reg.programmable)
        hr = store.CreateKey(key + "\\Programmable");
    if (SUCCEEDED(hr) && reg.typeLib)
        hr = store.SetValue(key + "\\TypeLib", "", FormatGuid(*reg.typeLib));
    if (SUCCEEDED(hr) && !reg.progId.empty())
        hr = WriteProgId(store, reg.progId, reg);
    if (SUCCEEDED(hr) && !reg.versionIndependentProgId.empty()) {
        hr = WriteProgId(store, reg.versionIndependentProgId, reg);
        if (SUCCEEDED(hr) && !reg.progId.empty())
            hr = store.SetValue(reg.versionIndependentProgId + "\\CurVer", "", reg.progId);
    }
    return FAILED(hr) ? SELFREG_E_CLASS : S_OK;
}

HRESULT UnregisterClass(Store& store, const ClassRegistration& reg) {
    RemoveProgIdOf(store, reg.progId, reg.clsid);
    RemoveProgIdOf(store, reg.versionIndependentProgId, reg.clsid);
    store.DeleteTree(ClassKey(reg.clsid));
    return S_OK;
}

HRESULT RegisterTypeLib(Store& store, const TypeLibRegistration& reg) {
    std::string key = "TypeLib\\" + FormatGuid(reg.libid) + "\\" + reg.version;
    std::string folder = std::filesystem::path(reg.libraryPath).parent_path().string();
    HRESULT hr = store.SetValue(key, "", reg.name);
    if (SUCCEEDED(hr))
        hr = store.SetValue(key + "\\0\\linux", "", reg.libraryPath);
    if (SUCCEEDED(hr))
        hr = store.SetValue(key + "\\FLAGS", "", "0");
    if (SUCCEEDED(hr))
        hr = store.SetValue(key + "\\HELPDIR", "", folder);
    return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT UnregisterTypeLib(Store& store, const TypeLibRegistration& reg) {
    std::string library = "TypeLib\\" + FormatGuid(reg.libid);
    store.DeleteTree(library + "\\" + reg.version);
    if (store.SubKeys(library).empty())
        store.DeleteTree(library);
    return S_OK;
}

} // namespace cvk::registry
