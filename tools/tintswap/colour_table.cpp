#include "colour_table.h"

#include <cstring>

namespace {
constexpr std::uint32_t kUsedBit = 1u << 24;
constexpr std::uint32_t kNoColour = 0xFFFFFFFFu;  // never a 24-bit colour
constexpr int kIndexMinimumBits = 10;
constexpr std::uint32_t kIndexMinimumSlots = 1u << kIndexMinimumBits;
static_assert(kIndexMinimumSlots <= kIndexSlots);

// Fields sit at 0, 4, 8, ...; the character after each is a separator.
bool is_separator(std::size_t position) { return position % 4 == 3; }

std::uint32_t slot_of(const ColourIndex& index, std::uint32_t colour) {
  return (colour * 0x9E3779B1u) >> index.shift;  // Fibonacci hashing: the top bits spread well
}
}  // namespace

void clear_table(ColourTable& table) { table.count = 0; }

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
  // At most a quarter of the slots in use where the capacity allows, half at
  // worst, so that most misses end at their first slot and the branch that
  // tells is well predicted; never fewer than kIndexMinimumSlots.
  std::uint32_t slots = kIndexMinimumSlots;
  int bits = kIndexMinimumBits;
  while (slots < kIndexSlots && slots < 4u * static_cast<std::uint32_t>(table.count)) {
    slots <<= 1;
    ++bits;
  }
  index.mask = slots - 1;
  index.shift = 32 - bits;
  index.colours = 0;
  std::memset(index.slots, 0, slots * sizeof(ColourIndex::Slot));
  for (std::int32_t i = 0; i < table.count; ++i) {
    const std::uint8_t* e = table.entries + static_cast<std::size_t>(i) * kColourEntrySize;
    const std::uint32_t key = pack_colour(e[0], e[1], e[2]) | kUsedBit;
    std::uint32_t at = slot_of(index, key & ~kUsedBit);
    while (index.slots[at].key != 0 && index.slots[at].key != key) at = (at + 1) & index.mask;
    if (index.slots[at].key == key) continue;  // an earlier line already has this colour
    index.slots[at] = {key, pack_colour(e[3], e[4], e[5])};
    ++index.colours;
  }
}

bool find_colour(const ColourIndex& index, std::uint32_t from, std::uint32_t& to) {
  const std::uint32_t key = from | kUsedBit;
  for (std::uint32_t at = slot_of(index, from);; at = (at + 1) & index.mask) {
    const ColourIndex::Slot& slot = index.slots[at];
    if (slot.key == key) {
      to = slot.to;
      return true;
    }
    if (slot.key == 0) return false;  // at most half the slots are used, so a free one always ends the probe
  }
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
