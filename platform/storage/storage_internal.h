// Entry points of the storage layer for its own tests and tools, not for the engine.
#pragma once

#include "platform/storage/compound_file.h"

namespace cvk::storage::detail {

// StgCreateDocfile with a choice of sector size: 9 (512 bytes, version 3) or 12 (4096 bytes,
// version 4). The engine always writes version 3; version 4 exists to test the reader.
HRESULT CreateCompoundStorage(const char* utf8Path, DWORD mode, unsigned sectorShift,
                              IStorage** out);

} // namespace cvk::storage::detail
