// The module engine's rules over its state, and the saved-state record.
#include "modweave/engine_state.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace modweave {
namespace {

constexpr char kStateMagic[8] = {'M', 'W', 'S', 'T', 'A', 'T', 'E', 0};
constexpr std::uint32_t kStateVersion = 1;
constexpr std::uint32_t kStateLoaded = 0x1;

void PutU32(std::string& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}
std::uint32_t U32At(std::string_view in, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(in[at + i]);
    return v;
}

// Covers the header's fields after the magic as well as the body, so that no flipped byte of
// the record loads as a different state.
std::uint32_t StateChecksum(std::string_view header, std::string_view body) {
    std::string covered(header.substr(8, 16));
    covered += body;
    return Crc32(covered);
}

bool Fail(std::string* why, std::string text) {
    if (why)
        *why = std::move(text);
    return false;
}

} // namespace

int FirstLogoModule(const Image& image) {
    for (std::size_t i = 0; i < image.modules.size(); ++i)
        if (image.modules[i].type == 2)
            return static_cast<int>(i);
    return -1;
}

bool ContainsUserData(const Image& image, std::size_t index) {
    return !image.logo.imageBytes.empty() && FirstLogoModule(image) == static_cast<int>(index);
}

std::uint32_t ModuleSize(const Image& image, std::size_t index) {
    std::uint64_t size = image.modules[index].size;
    if (ContainsUserData(image, index))
        size += image.logo.imageBytes.size();
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, kMaxSize));
}

std::uint64_t RequiredSpace(const Image& image) {
    std::uint64_t space = image.requiredContent.size();
    for (std::size_t i = 0; i < image.modules.size(); ++i)
        if (image.modules[i].required)
            space += ModuleSize(image, i);
    return space;
}

std::uint64_t SelectedOptionalSpace(const Image& image) {
    std::uint64_t space = 0;
    for (std::size_t i = 0; i < image.modules.size(); ++i)
        if (image.modules[i].selected && !image.modules[i].required)
            space += ModuleSize(image, i);
    return space;
}

bool SelectionValid(const EngineState& state, std::string* why) {
    if (!state.loaded)
        return Fail(why, "No flash image is open.");
    std::unordered_map<std::uint32_t, const Module*> byHandle;
    for (const Module& m : state.image.modules)
        byHandle[m.handle] = &m;
    for (const Module& m : state.image.modules) {
        if (m.required && !m.selected)
            return Fail(why, "A required module is not selected.");
        if (!m.selected)
            continue;
        for (std::uint32_t dep : m.deps) {
            auto found = byHandle.find(dep);
            if (found == byHandle.end() || !found->second->selected)
                return Fail(why, "A selected module lacks a module it depends on.");
        }
    }
    std::uint64_t needed = RequiredSpace(state.image) + SelectedOptionalSpace(state.image);
    if (needed > state.flashPartSize)
        return Fail(why, "The selected modules do not fit the flash part.");
    return true;
}

void SelectDefaults(Image* image) {
    for (Module& m : image->modules)
        m.selected = m.isDefault;
}

Image UpdateImage(const EngineState& state) {
    Image update;
    update.version = state.image.version;
    update.flashPartSize = state.flashPartSize;
    update.requiredContent = state.image.requiredContent;
    for (const Module& m : state.image.modules)
        if (m.selected)
            update.modules.push_back(m);
    update.logo = state.image.logo;
    return update;
}

std::string EncodeState(const EngineState& state) {
    std::string body = EncodeBody(state.image);
    std::string out(kStateMagic, sizeof kStateMagic);
    PutU32(out, kStateVersion);
    PutU32(out, state.loaded ? kStateLoaded : 0);
    PutU32(out, state.flashPartSize);
    PutU32(out, static_cast<std::uint32_t>(body.size()));
    PutU32(out, StateChecksum(out, body));
    out += body;
    return out;
}

bool StateBodyLength(std::string_view header, std::uint32_t* length, std::string* why) {
    if (header.size() != kStateHeaderSize)
        return Fail(why, "state record cut short");
    if (std::memcmp(header.data(), kStateMagic, sizeof kStateMagic) != 0)
        return Fail(why, "not a module engine state record");
    std::uint32_t version = U32At(header, 8);
    if (version != kStateVersion)
        return Fail(why, "state record version " + std::to_string(version) + ", expected " +
                             std::to_string(kStateVersion));
    *length = U32At(header, 20);
    return true;
}

bool DecodeState(std::string_view header, std::string_view body, EngineState* state,
                 std::string* why) {
    std::uint32_t length = 0;
    if (!StateBodyLength(header, &length, why))
        return false;
    if (length != body.size())
        return Fail(why, "state record cut short");
    std::uint32_t flags = U32At(header, 12);
    std::uint32_t flashPartSize = U32At(header, 16);
    if ((flags & ~kStateLoaded) != 0)
        return Fail(why, "unknown state flags");
    if (flashPartSize > kMaxSize)
        return Fail(why, "flash part size out of range");
    if (StateChecksum(header, body) != U32At(header, 24))
        return Fail(why, "state checksum does not match");
    EngineState decoded;
    if (!DecodeBody(body, &decoded.image, why))
        return false;
    decoded.loaded = flags & kStateLoaded;
    if (!decoded.loaded && !decoded.image.modules.empty())
        return Fail(why, "modules recorded without an open image");
    decoded.flashPartSize = flashPartSize;
    decoded.generation = state->generation + 1;
    *state = std::move(decoded);
    return true;
}

} // namespace modweave
