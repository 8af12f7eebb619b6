// Large generated boards for the benchmarks.
#pragma once

#include "tools/cvkgen/map_writer.h"

#include <cstddef>

namespace bench {

// A board of `settings` settings in menus: the first holds `firstMenu` settings, every other one
// `perMenu`. Each setting has three answers, a keyword and a place in the CMOS image; the texts
// are shared so that the string area stays small.
cvkgen::MapFileContent GeneratedBoard(std::size_t settings, std::size_t firstMenu,
                                      std::size_t perMenu);

} // namespace bench
