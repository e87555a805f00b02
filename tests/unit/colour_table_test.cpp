#include "colour_table.h"

#include <gtest/gtest.h>

#include <cstring>
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

// The rule the index must keep: the first entry in file order wins.
bool linear_first_match(const ColourTable& table, std::uint32_t from, std::uint32_t& to) {
  for (std::int32_t i = 0; i < table.count; ++i) {
    const std::uint8_t* e = table.entries + 6 * static_cast<std::size_t>(i);
    if (pack_colour(e[0], e[1], e[2]) == from) {
      to = pack_colour(e[3], e[4], e[5]);
      return true;
    }
  }
  return false;
}

TEST(ColourIndex, AgreesWithALinearFirstMatchScan) {
  Tables t;
  std::mt19937 random(20261208);
  for (int entries : {0, 1, 7, 8, 9, 300, 5000}) {
    // From colours drawn from a small pool, so that most repeat.
    std::vector<std::uint32_t> pool(static_cast<std::size_t>(entries / 3 + 2));
    for (std::uint32_t& c : pool) c = random() & 0xFFFFFF;
    clear_table(*t.table);
    for (int i = 0; i < entries; ++i) {
      const std::uint32_t from = pool[random() % pool.size()], to = random() & 0xFFFFFF;
      const std::uint8_t e[6] = {std::uint8_t(from >> 16), std::uint8_t(from >> 8), std::uint8_t(from),
                                 std::uint8_t(to >> 16),   std::uint8_t(to >> 8),   std::uint8_t(to)};
      std::memcpy(t.table->entries + 6 * static_cast<std::size_t>(i), e, 6);
      t.table->count = i + 1;
    }
    build_index(*t.table, *t.index);
    std::vector<std::uint32_t> probes = pool;
    for (int i = 0; i < 2000; ++i) probes.push_back(random() & 0xFFFFFF);
    for (std::uint32_t from : probes) {
      std::uint32_t expected = 0, actual = 0;
      const bool found = linear_first_match(*t.table, from, expected);
      ASSERT_EQ(find_colour(*t.index, from, actual), found) << entries << " entries, colour " << from;
      if (found) {
        ASSERT_EQ(actual, expected) << entries << " entries, colour " << from;
      }
    }
  }
}

}  // namespace
