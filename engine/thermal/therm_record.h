// The field encodings of the thermal tree's records: record versions and tagged variants.
#pragma once

#include "engine/core/record_io.h"
#include "platform/com/variant.h"

namespace cvk {

// How deep a thermal tree may nest in a workspace file: far beyond the fixed tree's three
// levels, and shallow enough that the recursive walks never exhaust the stack.
constexpr int kMaxThermDepth = 64;

// E_FAIL for a stored version above `newest` or one that is not a number.
HRESULT ReadRecordVersion(RecordReader& in, float newest);

// The u16 type, then 1, 2, 4 or 8 value bytes for the fixed-size types; an empty value or a
// string as the u32 byte count of its text plus 2, the UTF-16 text and a zero unit.
HRESULT WriteVariant(RecordWriter& out, const VARIANT& value);
// Reverses WriteVariant. E_FAIL for a type that the variant library does not know, a string
// that runs past the stream, or an empty value that carries text.
HRESULT ReadVariant(RecordReader& in, Variant* value);

// A text written as a variant of type string, and read back as the text of any variant.
HRESULT WriteVariantText(RecordWriter& out, const Bstr& text);
HRESULT ReadVariantText(RecordReader& in, Bstr* text);

// Whether two values of the same type hold the same value (text compared exactly).
bool SameValue(const VARIANT& a, const VARIANT& b);

} // namespace cvk
