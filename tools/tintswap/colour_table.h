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
// green, blue, then to red, green, blue. Aligned so that it can be backed by
// huge pages; the entries come last, so that nothing of the object hides an
// overrun past them.
struct alignas(kHugePageAlignment) ColourTable {
  std::int32_t count;
  std::uint8_t entries[kColourTableCapacity * kColourEntrySize];
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

// The index over the table's from colours: one bit per 24-bit colour that
// some entry turns, and the to colour of each one's earliest entry, in
// colour order. A colour's place in that order is the number of set bits
// below it, from a running count kept per 64-bit word; a summary bit per
// word tells the words in use. A lookup reads four places and a build passes
// twice over the entries and once over the words in use, whatever colours
// the table holds. About 7 MiB, aligned like the table; a small table
// touches few of its pages.
inline constexpr std::uint32_t kColourCount = 1u << 24;
inline constexpr std::uint32_t kColourWords = kColourCount / 64;
inline constexpr std::uint32_t kSummaryWords = kColourWords / 64;

struct alignas(kHugePageAlignment) ColourIndex {
  std::uint32_t colours;
  // Before the colour bits, so that a place one too far would overwrite them,
  // which the tests would see.
  std::uint32_t to[kColourTableCapacity];     // the to colours in from colour order
  std::uint64_t present[kColourWords];        // bit c of the whole: colour c is a from colour
  std::uint64_t words_in_use[kSummaryWords];  // bit w of the whole: present[w] is not zero
  std::uint32_t set_below[kColourWords];      // bits set in present before word w, for words in use
};

// Builds the index of the table; an index built before is cleared first, at
// the cost of the words that build used.
void build_index(const ColourTable& table, ColourIndex& index);
// The to colour of the first entry whose from colour is the given one.
bool find_colour(const ColourIndex& index, std::uint32_t from, std::uint32_t& to);
// Recolours every pixel of the picture in the buffer, each by its own old
// colour; the header and the row padding stay as they are. A picture that
// does not fit the buffer, or has no pixels, is left alone.
void recolour_image(const ColourIndex& index, BmpImage& image);
