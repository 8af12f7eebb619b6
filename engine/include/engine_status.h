// The engine's own status codes, beside the platform's generic ones.
#pragma once

#include "platform/com/types.h"

// The BIOS map file cannot be opened.
constexpr HRESULT E_IMAGE_OPEN = MakeStatus(0x80040400);
// The BIOS map file is malformed: a section is missing, a header word is wrong or the file ends
// inside a section.
constexpr HRESULT E_IMAGE_FORMAT = MakeStatus(0x80040403);
// A section of the BIOS map file was asked for before a map file was loaded.
constexpr HRESULT E_IMAGE_NOT_LOADED = MakeStatus(0x80040404);
// A BIOS update was refused: the new build allows fewer locked or hidden settings than are in use.
constexpr HRESULT E_LIMITS_EXCEEDED = MakeStatus(0x80040405);
// An SMBIOS fixed value was stored cut to its maximum length.
constexpr HRESULT E_SMBIOS_VALUE_CUT = MakeStatus(0x80040406);
// An SMBIOS prompt value was stored cut to its maximum length.
constexpr HRESULT E_SMBIOS_PROMPT_CUT = MakeStatus(0x80040407);
