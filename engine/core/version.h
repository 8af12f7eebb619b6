// The engine's version numbers and the text formed from them.
#pragma once

#include <string>

namespace cvk {

constexpr int kEngineMajor = 2;
constexpr int kEngineMinor = 10;
constexpr int kEngineRevision = 0;
constexpr int kEngineBuild = 12;

// "2.10.0.0012"
std::string EngineVersionText();

} // namespace cvk
