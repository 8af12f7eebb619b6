// The module engine's state and its rules: space, selection validity, the update image and the
// saved-state record.
#pragma once

#include "modweave/image_format.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace modweave {

struct EngineState {
    // The open image; each module's `selected` is the current selection and `logo` the user's
    // current logo settings.
    Image image;
    bool loaded = false;
    std::uint32_t flashPartSize = 0;
    bool changed = false;
    // Bumped whenever the catalogue is replaced, so that module objects of an older catalogue
    // notice that they are stale.
    std::uint64_t generation = 0;
};

// Index of the first logo module, which is the one that carries the user's picture; -1 if none.
int FirstLogoModule(const Image& image);
bool ContainsUserData(const Image& image, std::size_t index);
// The declared size, plus the user's picture for the logo module that carries it.
std::uint32_t ModuleSize(const Image& image, std::size_t index);
// The required content plus every required module.
std::uint64_t RequiredSpace(const Image& image);
// Every non-required module that is selected.
std::uint64_t SelectedOptionalSpace(const Image& image);
// Every required module selected, every selected module's dependencies present and selected,
// and the whole within the flash part. False when no image is open.
bool SelectionValid(const EngineState& state, std::string* why = nullptr);
void SelectDefaults(Image* image);
// The image that an update file holds: the required content, the selected modules and the logo.
Image UpdateImage(const EngineState& state);

// The saved-state record (a header with lengths and a checksum, then an image body).
std::string EncodeState(const EngineState& state);
constexpr std::size_t kStateHeaderSize = 28;
// Reads the body length from a state header; false when the header is not one.
bool StateBodyLength(std::string_view header, std::uint32_t* length, std::string* why);
// Decodes a header and its body; `state` is untouched on failure.
bool DecodeState(std::string_view header, std::string_view body, EngineState* state,
                 std::string* why);

} // namespace modweave
