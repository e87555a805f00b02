#include "colour_table.h"

#include <bit>
#include <cstring>

#include "huge_pages.h"

namespace {
constexpr std::uint32_t kNoColour = 0xFFFFFFFFu;  // never a 24-bit colour

// Fields sit at 0, 4, 8, ...; the character after each is a separator.
bool is_separator(std::size_t position) { return position % 4 == 3; }

std::uint64_t bit_of(std::uint32_t colour) { return std::uint64_t{1} << (colour % 64); }

// The colour's place among the index's from colours; only for one of them.
std::uint32_t place_of(const ColourIndex& index, std::uint32_t colour) {
  const std::uint32_t word = colour / 64;
  return index.set_below[word] + static_cast<std::uint32_t>(std::popcount(index.present[word] & (bit_of(colour) - 1)));
}

std::uint32_t from_colour(const std::uint8_t* entry) { return pack_colour(entry[0], entry[1], entry[2]); }
std::uint32_t to_colour(const std::uint8_t* entry) { return pack_colour(entry[3], entry[4], entry[5]); }

void clear_index(ColourIndex& index) {
  for (std::uint32_t s = 0; s < kSummaryWords; ++s) {
    for (std::uint64_t in_use = index.words_in_use[s]; in_use != 0; in_use &= in_use - 1)
      index.present[s * 64 + static_cast<std::uint32_t>(std::countr_zero(in_use))] = 0;
    index.words_in_use[s] = 0;
  }
  index.colours = 0;
}
}  // namespace

void clear_table(ColourTable& table) {
  advise_huge_pages(&table, sizeof table);
  table.count = 0;
}

bool parse_entry_line(const char* line, std::uint8_t (&values)[kColourEntrySize]) {
  for (std::size_t i = 0; i < kEntryLineMinimum - 1; ++i) {
    if (is_separator(i)) continue;
    if (line[i] < '0' || line[i] > '9') return false;
  }
  for (std::size_t field = 0; field < kColourEntrySize; ++field) {
    const char* digits = line + 4 * field;
    const int value = 100 * (digits[0] - '0') + 10 * (digits[1] - '0') + (digits[2] - '0');
    if (value > 255) return false;
    values[field] = static_cast<std::uint8_t>(value);
  }
  return true;
}

TableLine add_table_line(ColourTable& table, const TextLine& line) {
  const char first = line.text[0];
  if (line.length == 0 || first == '\0' || first == '\r' || first == '\n' || first == '#') return TableLine::Skipped;
  if (line.length < kEntryLineMinimum) return TableLine::TooShort;
  std::uint8_t values[kColourEntrySize];
  if (!parse_entry_line(line.text, values)) return TableLine::Rejected;
  if (table.count >= kColourTableCapacity) return TableLine::Full;
  std::memcpy(table.entries + static_cast<std::size_t>(table.count) * kColourEntrySize, values, kColourEntrySize);
  ++table.count;
  return TableLine::Accepted;
}

void build_index(const ColourTable& table, ColourIndex& index) {
  advise_huge_pages(&index, sizeof index);
  clear_index(index);
  for (std::int32_t i = 0; i < table.count; ++i) {
    const std::uint32_t from = from_colour(table.entries + static_cast<std::size_t>(i) * kColourEntrySize);
    const std::uint32_t word = from / 64;
    index.present[word] |= bit_of(from);
    index.words_in_use[word / 64] |= bit_of(word);
  }
  // Running counts only for the words in use: a small table touches few pages.
  std::uint32_t colours = 0;
  for (std::uint32_t s = 0; s < kSummaryWords; ++s) {
    for (std::uint64_t in_use = index.words_in_use[s]; in_use != 0; in_use &= in_use - 1) {
      const std::uint32_t word = s * 64 + static_cast<std::uint32_t>(std::countr_zero(in_use));
      index.set_below[word] = colours;
      colours += static_cast<std::uint32_t>(std::popcount(index.present[word]));
    }
  }
  index.colours = colours;
  // From the last entry to the first, so that the earliest line for a colour
  // writes its to colour last and stays.
  for (std::int32_t i = table.count - 1; i >= 0; --i) {
    const std::uint8_t* entry = table.entries + static_cast<std::size_t>(i) * kColourEntrySize;
    index.to[place_of(index, from_colour(entry))] = to_colour(entry);
  }
}

bool find_colour(const ColourIndex& index, std::uint32_t from, std::uint32_t& to) {
  // The summary first: a small table's misses then read 32 KiB, not the
  // 2 MiB of the colour bits.
  const std::uint32_t word = from / 64;
  if (from >= kColourCount || (index.words_in_use[word / 64] & bit_of(word)) == 0) return false;
  if ((index.present[word] & bit_of(from)) == 0) return false;
  to = index.to[place_of(index, from)];
  return true;
}

void recolour_image(const ColourIndex& index, BmpImage& image) {
  const std::int32_t width = image_width(image), height = image_height(image);
  if (index.colours == 0 || width <= 0 || height <= 0 || !fits_buffer(width, height)) return;
  const std::size_t stride = static_cast<std::size_t>(row_stride(width));
  // Neighbouring pixels often share a colour: the last answer is kept.
  std::uint32_t last_from = kNoColour, last_to = 0;
  bool last_found = false;
  for (std::int32_t row = 0; row < height; ++row) {
    std::uint8_t* p = image.bytes + kBmpHeaderSize + static_cast<std::size_t>(row) * stride;
    for (std::int32_t x = 0; x < width; ++x, p += 3) {
      const std::uint32_t from = pack_colour(p[2], p[1], p[0]);
      if (from != last_from) {
        last_from = from;
        last_found = find_colour(index, from, last_to);
      }
      if (last_found) {
        p[0] = static_cast<std::uint8_t>(last_to);
        p[1] = static_cast<std::uint8_t>(last_to >> 8);
        p[2] = static_cast<std::uint8_t>(last_to >> 16);
      }
    }
  }
}
