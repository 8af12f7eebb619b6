// Reading the fields of a board description: the checks every section shares, each failing
// with a BoardError that names the place ("modules/list[2]/size: ...").
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace cvkgen {

[[noreturn]] void Fail(const std::string& where, const std::string& what);

// Fails unless `object` is an object whose keys are all among `allowed`.
void CheckKeys(const nlohmann::json& object, const std::string& where,
               std::initializer_list<const char*> allowed);

// A number, or a string holding one ("0x5A" or "90"), at most `max`.
std::uint64_t ToUnsigned(const nlohmann::json& value, const std::string& where, std::uint64_t max);

// A string from the description (UTF-8) as the Windows-1252 bytes that the files store; fails
// on a character that Windows-1252 lacks.
std::string ToWindows1252(const nlohmann::json& value, const std::string& where);

} // namespace cvkgen
