// The binding to the module engine component, and where a map file's flash image lies.
#pragma once

#include "modweave/modweave.h"
#include "platform/com/bstr.h"
#include "platform/com/comptr.h"

#include <string>

namespace cvk {

// Creates a module engine object by its class identifier; its creation status on failure.
HRESULT CreateModuleEngine(ComPtr<IModweaveEngine>* engine);

// The map file's folder and base name with ".bio": "/boards/x/board.cvk" -> "/boards/x/board.bio".
// A name without an extension gets ".bio" added.
std::u16string FlashImagePathOf(std::u16string_view mapFile);

// Whether a file exists at the UTF-16 path.
bool FileExists(std::u16string_view path);

} // namespace cvk
