// The modules section of a board description and the modular flash image written from it.
#pragma once

#include "modweave/image_format.h"

#include <cstddef>
#include <string>

namespace cvkgen {

// What the "modules" section describes: the image and how many files it is split into.
struct BoardModules {
    modweave::Image image;
    std::size_t files = 1;
};

// Badge modules carry these handles, one per logo resolution (640 by 480, 800 by 600,
// 1024 by 768), because the engine selects the badge for a logo by handle.
constexpr std::uint32_t kBadgeHandles[] = {10, 11, 12};

// Writes the image as `path` (UTF-8) and, for more than one file, its continuation files
// "<base>_2<ext>", ... beside it. Every file is replaced atomically. Throws BoardError.
void WriteFlashImage(const BoardModules& modules, const std::string& path);

// The bytes that stand in for a module's code: a repeatable pattern that differs by `seed`.
std::string PayloadBytes(std::uint32_t seed, std::size_t size);

} // namespace cvkgen
