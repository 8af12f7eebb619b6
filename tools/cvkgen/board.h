// A board description (menus, settings, languages, build information, modules) and its records.
#pragma once

#include "tools/cvkgen/flash_image.h"
#include "tools/cvkgen/map_writer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cvkgen {

// Texts below are raw Windows-1252 bytes, as the map file stores them.
struct BoardChoice {
    std::string text;
    std::uint16_t value = 0;
    bool operator==(const BoardChoice&) const = default;
};

struct BoardSetting {
    std::string prompt;
    std::string help;                   // empty: no help string
    std::optional<std::string> keyword; // portable keyword; none makes an advanced setting
    std::vector<BoardChoice> choices;
    std::uint16_t defaultValue = 0;
    std::uint16_t controlType = 1;
    std::uint16_t controlId = 0;
    std::uint16_t tokenId = 0; // 0 for the token-less control types 2 and 3
    std::uint32_t attributes = 0;
    std::uint16_t bitOffset = 0; // byte * 8 + bit in the CMOS image
    std::uint16_t bitMask = 0;
    std::uint16_t bitSize = 0;
};

enum class ItemKind { Setting, Menu, Label };

// One line of a setup form: a setting, a sub-menu with its own items, or a label.
struct BoardItem {
    ItemKind kind = ItemKind::Setting;
    std::optional<std::string> text; // menu name (none: no name string) or label text
    std::uint16_t itemType = 0;      // template item type of a label
    std::uint32_t templateId = 0;    // a menu's form
    BoardSetting setting;
    std::vector<BoardItem> items;
};

struct Board {
    cvk::BuildInfo build;
    std::vector<cvk::LanguageSet> languages; // built-in languages first, then the packs
    cvk::SplashInfo splash;
    cvk::EndChecksum checksum;
    std::vector<BoardItem> setup;        // the items of the root form (template 0)
    std::optional<BoardModules> modules; // the modular flash image, when the board has one
};

// Reads a board description in JSON, assigns the control, token and template IDs and places
// every setting in the CMOS image. Throws BoardError with the place of the fault.
Board ParseBoard(const std::string& json);
Board LoadBoard(const std::string& path);

// The records of the map file that describes `board`; string IDs are assigned here.
MapFileContent BuildMapFile(const Board& board);

} // namespace cvkgen
