#pragma once
#include <cstdint>

namespace assetgen {

// Rows of a 5x7 glyph, top row first, bit 4 the leftmost column. Characters without a
// glyph come back blank.
const uint8_t* glyphRows(char c);

} // namespace assetgen
