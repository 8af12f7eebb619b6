// Growable, seekable streams held in memory.
#pragma once

#include "platform/com/stream.h"

#include <string>
#include <string_view>

// An empty stream. Writing past the end grows it; the gap reads as zeros.
HRESULT CreateMemoryStream(IStream** out);

// A stream holding a copy of `bytes`, positioned at the start.
HRESULT CreateMemoryStreamOn(std::string_view bytes, IStream** out);

// Copies the whole content (whatever the seek position) of a stream made by the two functions
// above; E_INVALIDARG for any other stream.
HRESULT GetMemoryStreamBytes(IStream* stream, std::string* out);
