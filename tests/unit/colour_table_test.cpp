#include "colour_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>

namespace {

TextLine text_line(const std::string& text) {
  TextLine line{};
  std::memcpy(line.text, text.data(), text.size());
  line.length = text.size();
  return line;
}

struct Tables {
  std::unique_ptr<ColourTable> table = std::make_unique<ColourTable>();
  std::unique_ptr<ColourIndex> index = std::make_unique<ColourIndex>();
};

TEST(ColourTable, ParsesSixFieldsInFileOrder) {
  std::uint8_t v[kColourEntrySize];
  ASSERT_TRUE(parse_entry_line("001 020 255 100 099 000\n", v));
  EXPECT_EQ((std::vector<int>(v, v + 6)), (std::vector<int>{1, 20, 255, 100, 99, 0}));
  EXPECT_TRUE(parse_entry_line("255x255/255-255.255:255", v));
  for (int field = 0; field < 6; ++field) {
    std::string line = "000 000 000 000 000 000\n";
    line.replace(4 * field, 3, "256");
    EXPECT_FALSE(parse_entry_line(line.c_str(), v)) << line;
    line.replace(4 * field, 3, "2a5");
    EXPECT_FALSE(parse_entry_line(line.c_str(), v)) << line;
  }
  EXPECT_FALSE(parse_entry_line("000 000 000 000 000 00 \n", v)) << "position 22 is a digit";
}

TEST(ColourTable, ClassifiesLines) {
  Tables t;
  clear_table(*t.table);
  EXPECT_EQ(add_table_line(*t.table, text_line("# 000 000 000 000 000 000\n")), TableLine::Skipped);
  EXPECT_EQ(add_table_line(*t.table, text_line("\n")), TableLine::Skipped);
  EXPECT_EQ(add_table_line(*t.table, text_line("\r")), TableLine::Skipped);
  EXPECT_EQ(add_table_line(*t.table, text_line(std::string("\0abc\n", 5))), TableLine::Skipped);
  EXPECT_EQ(add_table_line(*t.table, text_line("000 000 000 255 255 255")), TableLine::TooShort);
  EXPECT_EQ(add_table_line(*t.table, text_line("999 000 000 255 255 255\n")), TableLine::Rejected);
  EXPECT_EQ(t.table->count, 0);
  EXPECT_EQ(add_table_line(*t.table, text_line("000 000 000 255 254 253\n")), TableLine::Accepted);
  ASSERT_EQ(t.table->count, 1);
  EXPECT_EQ(std::memcmp(t.table->entries, "\0\0\0\xff\xfe\xfd", 6), 0);
}

TEST(ColourTable, RefusesAnEntryBeyondCapacity) {
  Tables t;
  t.table->count = kColourTableCapacity - 1;
  EXPECT_EQ(add_table_line(*t.table, text_line("001 002 003 004 005 006\n")), TableLine::Accepted);
  EXPECT_EQ(std::memcmp(t.table->entries + (kColourTableCapacity - 1) * 6, "\1\2\3\4\5\6", 6), 0);
  EXPECT_EQ(add_table_line(*t.table, text_line("001 002 003 004 005 006\n")), TableLine::Full);
  EXPECT_EQ(add_table_line(*t.table, text_line("bad line\n")), TableLine::TooShort) << "bad lines still reported";
  EXPECT_EQ(t.table->count, kColourTableCapacity);
}

// Index tables: the from colour of each entry, as a function of the entry
// number and the table's size; the to colour of entry i is i itself, so that
// an answer names the entry it came from.
struct IndexRow {
  const char* name;
  std::int32_t entries;
  std::uint32_t (*from)(std::int32_t entry, std::int32_t entries);
};

// Distinct for distinct entries (an odd multiplier is one to one on 24 bits)
// and spread over the colours.
std::uint32_t scattered(std::int32_t i) { return static_cast<std::uint32_t>(i) * 0x9E3779B1u & 0xFFFFFF; }
// Drawn from a third as many colours, so that most repeat.
std::uint32_t pooled(std::int32_t i, std::int32_t entries) {
  return scattered(static_cast<std::int32_t>(scattered(i) % static_cast<std::uint32_t>(entries / 3 + 2)));
}
constexpr std::uint32_t kMixedBits = 0x5AC3A5;

const IndexRow kIndexRows[] = {
    {"no entries", 0, pooled},
    {"one entry", 1, pooled},
    {"7 from a pool", 7, pooled},
    {"8 from a pool", 8, pooled},
    {"9 from a pool", 9, pooled},
    {"300 from a pool", 300, pooled},
    {"5000 from a pool", 5000, pooled},
    {"full table, every colour once", kColourTableCapacity, [](std::int32_t i, std::int32_t) { return scattered(i); }},
    {"full table, the first colour again second and last", kColourTableCapacity,
     [](std::int32_t i, std::int32_t n) { return scattered(i == 1 || i == n - 1 ? 0 : i); }},
    {"full table, a middle colour again next and last but one", kColourTableCapacity,
     [](std::int32_t i, std::int32_t n) { return scattered(i == n / 2 + 1 || i == n - 2 ? n / 2 : i); }},
    {"full table, the last two alike", kColourTableCapacity,
     [](std::int32_t i, std::int32_t n) { return scattered(i == n - 1 ? n - 2 : i); }},
    {"a colour, its 24 one-bit neighbours, then the neighbours again", 49,
     [](std::int32_t i, std::int32_t) { return i == 0 ? kMixedBits : kMixedBits ^ 1u << (i - 1) % 24; }},
};

TEST(ColourIndex, AgreesWithTheFirstEntryOfEachColour) {
  Tables t;
  std::mt19937 random(20261208);
  for (const IndexRow& row : kIndexRows) {
    clear_table(*t.table);
    for (std::int32_t i = 0; i < row.entries; ++i) {
      const std::uint32_t from = row.from(i, row.entries), to = static_cast<std::uint32_t>(i);
      const std::uint8_t e[6] = {std::uint8_t(from >> 16), std::uint8_t(from >> 8), std::uint8_t(from),
                                 std::uint8_t(to >> 16),   std::uint8_t(to >> 8),   std::uint8_t(to)};
      std::memcpy(t.table->entries + 6 * static_cast<std::size_t>(i), e, 6);
      t.table->count = i + 1;
    }
    build_index(*t.table, *t.index);
    // Probes: the colours of all entries (of a full table, the first, middle
    // and last ones) and every colour one bit from them, and random colours.
    std::map<std::uint32_t, std::int32_t> first_entry;  // -1: no entry has the colour
    for (std::int32_t i = 0; i < row.entries; ++i) {
      const bool inner = i >= 64 && std::abs(i - row.entries / 2) >= 32 && i < row.entries - 64;
      if (row.entries == kColourTableCapacity && inner) continue;
      const std::uint32_t from = row.from(i, row.entries);
      first_entry.emplace(from, -1);
      for (int bit = 0; bit < 24; ++bit) first_entry.emplace(from ^ 1u << bit, -1);
    }
    for (int i = 0; i < 2000; ++i) first_entry.emplace(random() & 0xFFFFFF, -1);
    for (std::int32_t i = 0; i < row.entries; ++i) {
      const auto probe = first_entry.find(row.from(i, row.entries));
      if (probe != first_entry.end() && probe->second < 0) probe->second = i;
    }
    for (const auto& [from, entry] : first_entry) {
      std::uint32_t to = 0;
      ASSERT_EQ(find_colour(*t.index, from, to), entry >= 0) << row.name << ", colour " << from;
      if (entry >= 0) {
        ASSERT_EQ(to, static_cast<std::uint32_t>(entry)) << row.name << ", colour " << from;
      }
    }
  }
}

}  // namespace
