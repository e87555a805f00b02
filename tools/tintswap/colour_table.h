// The colour table of tintswap: entry lines of a text file turned into
// colour pairs, and the first-match lookup that recolours pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bmp_image.h"
#include "text_file.h"

inline constexpr std::int32_t kColourTableCapacity = 1036970;  // 6,221,824 bytes at six bytes an entry
inline constexpr std::size_t kColourEntrySize = 6;
inline constexpr std::size_t kEntryLineMinimum = 24;  // 23 characters and the line end

// Entries in the order of the accepted lines, six bytes each: from red,
// green, blue, then to red, green, blue.
struct ColourTable {
  std::uint8_t entries[kColourTableCapacity * kColourEntrySize];
  std::int32_t count;
};

// What a line of the table file came to.
enum class TableLine { Skipped, Accepted, TooShort, Rejected, Full };

void clear_table(ColourTable& table);
// Parses an entry line of at least 24 characters into six values; false
// when a field holds a non-digit or a value above 255.
bool parse_entry_line(const char* line, std::uint8_t (&values)[kColourEntrySize]);
// Classifies one line read from the table file and appends its entry when it
// is accepted. Full: an accepted entry that the table has no room for.
TableLine add_table_line(ColourTable& table, const TextLine& line);

// A colour as a 24-bit number: red in bits 16-23, green 8-15, blue 0-7.
// Read from a pixel's three stored bytes (blue, green, red) it is their
// little-endian value.
inline std::uint32_t pack_colour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<std::uint32_t>(red) << 16 | static_cast<std::uint32_t>(green) << 8 | blue;
}

// Open-addressing hash index over the table's from colours that keeps, for
// each colour, the entry of the earliest line: a lookup gives the same answer
// as a scan from entry 0 that stops at the first match, at a cost that does
// not grow with the table. Only as many slots as the table needs are used
// (a power of two, a few times its entries), so a small table stays in the
// cache and touches few pages.
inline constexpr std::uint32_t kIndexSlots = 1u << 21;  // at least twice the table capacity
static_assert(kIndexSlots >= 2u * kColourTableCapacity);

struct ColourIndex {
  struct Slot {
    std::uint32_t key;  // the from colour with bit 24 set; 0 marks a free slot
    std::uint32_t to;   // the to colour
  };
  Slot slots[kIndexSlots];
  std::uint32_t mask;  // slots in use - 1
  int shift;           // 32 - log2(slots in use)
  std::int32_t colours;
};

void build_index(const ColourTable& table, ColourIndex& index);
// The to colour of the first entry whose from colour is the given one.
bool find_colour(const ColourIndex& index, std::uint32_t from, std::uint32_t& to);
// Recolours every pixel of the picture in the buffer, each by its own old
// colour; the header and the row padding stay as they are. A picture that
// does not fit the buffer, or has no pixels, is left alone.
void recolour_image(const ColourIndex& index, BmpImage& image);
