// The modules section of a board description, and writing the modular flash image.
#include "tools/cvkgen/flash_image.h"

#include "tools/cvkgen/flash_image_parse.h"
#include "tools/cvkgen/json_fields.h"
#include "tools/cvkgen/map_writer.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <set>

namespace cvkgen {
namespace {

using nlohmann::json;

constexpr std::uint32_t kMaxValue = modweave::kMaxSize;
// Generated content is kept in memory; no test or sample needs more.
constexpr std::uint64_t kMaxGeneratedBytes = 64u << 20;
constexpr std::size_t kMaxNameBytes = 255;
constexpr std::size_t kMaxDescriptionBytes = 4096;

// A number, or a string holding one ("0x100000" or "1048576").
std::uint32_t Number(const json& value, const std::string& where, std::uint64_t max = kMaxValue) {
    return static_cast<std::uint32_t>(ToUnsigned(value, where, max));
}

std::uint32_t NumberOr(const json& object, const char* key, const std::string& where,
                       std::uint32_t fallback, std::uint64_t max = kMaxValue) {
    return object.contains(key) ? Number(object.at(key), where + "/" + key, max) : fallback;
}

bool Flag(const json& object, const char* key, const std::string& where, bool fallback) {
    if (!object.contains(key))
        return fallback;
    if (!object.at(key).is_boolean())
        Fail(where + "/" + key, "expected true or false");
    return object.at(key).get<bool>();
}

// UTF-8 from the description to the image's Windows-1252 bytes.
std::string Text(const json& object, const char* key, const std::string& where,
                 std::size_t maxBytes) {
    if (!object.contains(key))
        return {};
    const json& value = object.at(key);
    const std::string place = where + "/" + key;
    std::string bytes = ToWindows1252(value, place);
    if (bytes.size() > maxBytes)
        Fail(place, "is longer than " + std::to_string(maxBytes) + " bytes");
    return bytes;
}

std::uint32_t ModuleType(const json& object, const std::string& where) {
    if (!object.contains("type"))
        return 0;
    const json& value = object.at("type");
    if (!value.is_string())
        Fail(where + "/type", "expected \"normal\", \"language\", \"logo\" or \"badge\"");
    const std::string name = value.get<std::string>();
    if (name == "normal")
        return 0;
    if (name == "language")
        return 1;
    if (name == "logo")
        return 2;
    if (name == "badge")
        return 3;
    Fail(where + "/type", "\"" + name + "\" is none of normal, language, logo, badge");
}

std::uint8_t Resolution(const json& logo, const std::string& where) {
    if (!logo.contains("resolution"))
        return 0;
    const json& value = logo.at("resolution");
    const std::string text = value.is_string() ? value.get<std::string>() : std::string();
    if (text == "640x480")
        return 0;
    if (text == "800x600")
        return 1;
    if (text == "1024x768")
        return 2;
    Fail(where + "/resolution", "expected \"640x480\", \"800x600\" or \"1024x768\"");
}

modweave::LogoSettings ParseLogo(const json& logo) {
    const std::string where = "modules/logo";
    CheckKeys(logo, where, {"badge", "displayBadge", "resolution"});
    modweave::LogoSettings settings;
    if (logo.contains("badge")) {
        const json& badge = logo.at("badge");
        if (!badge.is_array() || badge.size() != 2)
            Fail(where + "/badge", "expected two numbers [x, y]");
        settings.badgeX = Number(badge[0], where + "/badge");
        settings.badgeY = Number(badge[1], where + "/badge");
    }
    settings.displayBadge = Flag(logo, "displayBadge", where, false);
    settings.resolution = Resolution(logo, where);
    return settings;
}

// The module's place for messages: "modules/list[2](Network)".
std::string PlaceOf(const json& module, std::size_t index) {
    std::string where = "modules/list[" + std::to_string(index) + "]";
    if (module.is_object() && module.contains("name") && module.at("name").is_string())
        where += "(" + module.at("name").get<std::string>() + ")";
    return where;
}

modweave::Module ParseModule(const json& item, const std::string& where) {
    CheckKeys(item, where,
              {"handle", "name", "description", "type", "required", "default", "selected",
               "userUpdateable", "size", "payloadSize", "depends"});
    if (!item.contains("handle"))
        Fail(where, "a module needs a \"handle\"");
    modweave::Module module;
    module.handle = Number(item.at("handle"), where + "/handle");
    if (module.handle == 0)
        Fail(where + "/handle", "handles start at 1");
    module.type = ModuleType(item, where);
    module.shortDesc = Text(item, "name", where, kMaxNameBytes);
    module.longDesc = Text(item, "description", where, kMaxDescriptionBytes);
    module.required = Flag(item, "required", where, false);
    // A required module is always in, so it is in the factory selection too.
    module.isDefault = Flag(item, "default", where, module.required);
    if (module.required && !module.isDefault)
        Fail(where + "/default", "a required module is always in the default selection");
    module.selected = Flag(item, "selected", where, module.isDefault);
    module.userUpdateable = Flag(item, "userUpdateable", where, false);
    module.size = NumberOr(item, "size", where, 0);
    const std::uint32_t payload = NumberOr(item, "payloadSize", where, module.size);
    module.payload = std::string(payload, '\0'); // filled once the totals are checked
    if (item.contains("depends")) {
        const json& deps = item.at("depends");
        if (!deps.is_array())
            Fail(where + "/depends", "expected a list of handles");
        for (const json& dep : deps)
            module.deps.push_back(Number(dep, where + "/depends"));
    }
    return module;
}

void CheckBadgesAndLogo(const std::vector<modweave::Module>& modules,
                        const std::vector<std::string>& places) {
    bool haveLogo = false;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        const modweave::Module& m = modules[i];
        if (m.type == 2) {
            if (haveLogo)
                Fail(places[i] + "/type", "an image has one logo module");
            haveLogo = true;
        }
        if (m.type == 3 && std::find(std::begin(kBadgeHandles), std::end(kBadgeHandles),
                                     m.handle) == std::end(kBadgeHandles))
            Fail(places[i] + "/handle",
                 "badge modules take the handles 10 (640 by 480), 11 (800 by 600) and 12 "
                 "(1024 by 768)");
    }
}

void CheckHandles(const std::vector<modweave::Module>& modules,
                  const std::vector<std::string>& places) {
    std::set<std::uint32_t> handles;
    for (std::size_t i = 0; i < modules.size(); ++i)
        if (!handles.insert(modules[i].handle).second)
            Fail(places[i] + "/handle",
                 "handle " + std::to_string(modules[i].handle) + " is used twice");
    for (std::size_t i = 0; i < modules.size(); ++i) {
        for (std::uint32_t dep : modules[i].deps) {
            if (dep == modules[i].handle)
                Fail(places[i] + "/depends", "a module cannot depend on itself");
            if (!handles.count(dep))
                Fail(places[i] + "/depends",
                     "handle " + std::to_string(dep) + " is not in the image");
        }
    }
}

void FillPayloads(BoardModules& out, std::uint32_t requiredBytes) {
    std::uint64_t total = requiredBytes;
    for (const modweave::Module& m : out.image.modules)
        total += m.payload.size();
    if (total > kMaxGeneratedBytes)
        Fail("modules", "the image would hold more than 64 MB of content");
    out.image.requiredContent = PayloadBytes(0, requiredBytes);
    for (modweave::Module& m : out.image.modules)
        m.payload = PayloadBytes(m.handle, m.payload.size());
}

} // namespace

std::string PayloadBytes(std::uint32_t seed, std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 0x9E3779B9u ^ (seed * 0x85EBCA6Bu);
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

BoardModules ParseModules(const json& section) {
    CheckKeys(section, "modules",
              {"version", "flashPartSize", "requiredContent", "files", "logo", "list"});
    BoardModules out;
    out.image.version = Text(section, "version", "modules", kMaxNameBytes);
    out.image.flashPartSize = NumberOr(section, "flashPartSize", "modules", 0);
    const std::uint32_t requiredBytes = NumberOr(section, "requiredContent", "modules", 0);
    out.files = NumberOr(section, "files", "modules", 1, modweave::kMaxChainFiles);
    if (out.files == 0)
        Fail("modules/files", "an image has at least one file");
    if (section.contains("logo"))
        out.image.logo = ParseLogo(section.at("logo"));
    const json list = section.value("list", json::array());
    if (!list.is_array())
        Fail("modules/list", "expected a list of modules");
    std::vector<std::string> places;
    for (std::size_t i = 0; i < list.size(); ++i) {
        places.push_back(PlaceOf(list[i], i));
        out.image.modules.push_back(ParseModule(list[i], places.back()));
    }
    CheckHandles(out.image.modules, places);
    CheckBadgesAndLogo(out.image.modules, places);
    FillPayloads(out, requiredBytes);
    return out;
}

void WriteFlashImage(const BoardModules& modules, const std::string& path) {
    const std::filesystem::path target(path);
    const std::string folder =
        target.has_parent_path() ? target.parent_path().string() : std::string(".");
    const std::vector<std::string> names =
        modweave::ContinuationNames(target.filename().string(), modules.files);
    std::string why;
    const HRESULT hr = modweave::WriteImageFiles(modules.image, folder, names, &why);
    if (FAILED(hr))
        throw BoardError(why.empty() ? "cannot write " + path : why);
}

} // namespace cvkgen
