// The tests' own model of glyph sheets and captions, written apart from the
// programs: test sheets whose cells encode their index, the shipped sheets
// read from the source tree, and pictures with a caption painted in.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "harness.h"
#include "messages.h"

namespace e2e {

struct SheetMode {
  std::string file;
  int w, h;
};
inline const SheetMode kSheetModes[4] = {
    {}, {"GXFont1Minimini.bmp", 7, 7}, {"GXFont2Mini.bmp", 8, 14}, {"GXFont3Big.bmp", 14, 28}};

inline const std::string kSet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz[]{|}#$%&'()*+,-./_!";

// A byte's cell in a sheet; bytes without a glyph are drawn as '!'.
inline int drawn_index(char c) {
  const std::size_t at = kSet.find(c);
  return at == std::string::npos ? 81 : static_cast<int>(at);
}

// The colour of pixel (cx, cy) of cell k of a sheet.
using GlyphFn = std::function<Rgb(int k, int cx, int cy)>;

// Test glyphs: cell k is light where bit (cx + 3 cy) mod 7 of k + 1 is set,
// so no two cells agree in tone and none is all light or all dark. Red sits
// at a different depth in its half in every cell, blue and green vary with
// the pixel, so a copy that drops or mixes up a byte shows.
inline Rgb test_glyph(int k, int cx, int cy) {
  const bool light = ((k + 1) >> ((cx + 3 * cy) % 7)) & 1;
  return {static_cast<uint8_t>(light ? 128 + k : 127 - k), static_cast<uint8_t>(3 * k + cx),
          static_cast<uint8_t>(9 * cy + cx)};
}

// A sheet file: the 82 cells from its top-left corner, and extra columns to
// the right and rows below that must never be used.
inline Bytes sheet_bmp(int mode, const GlyphFn& glyph, int extra_columns = 3, int extra_rows = 2) {
  const SheetMode& m = kSheetModes[mode];
  return bmp(82 * m.w + extra_columns, m.h + extra_rows, [&](int x, int y) {
    if (x < 82 * m.w && y < m.h) return glyph(x / m.w, x % m.w, y);
    return Rgb{static_cast<uint8_t>(x * 37 + y), 0x55, 0x99};
  });
}
inline File test_sheet(int mode) { return {kSheetModes[mode].file, sheet_bmp(mode, test_glyph)}; }

inline Bytes read_source_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The shipped sheet of a mode, as it lies in the source tree.
inline File shipped_sheet(int mode) {
  return {kSheetModes[mode].file, read_source_file(std::string(SHEETS_DIR) + "/" + kSheetModes[mode].file)};
}

// The glyphs of a sheet file, read with the tests' own BMP reading.
inline GlyphFn glyphs_of(const Bytes& sheet, int mode) {
  auto bytes = std::make_shared<const Bytes>(sheet);
  const int w = kSheetModes[mode].w;
  return [bytes, w](int k, int cx, int cy) { return pixel_at(*bytes, k * w + cx, cy); };
}

// A picture with the text's cells painted over the background, the first
// cell's top-left pixel at (at_x, at_y).
inline PixelFn captioned(PixelFn background, const std::string& text, int mode, GlyphFn glyph, int at_x = 0,
                         int at_y = 0) {
  const int w = kSheetModes[mode].w, h = kSheetModes[mode].h;
  return [=](int x, int y) {
    const int i = x >= at_x ? (x - at_x) / w : -1;
    if (i >= 0 && i < static_cast<int>(text.size()) && y >= at_y && y < at_y + h)
      return glyph(drawn_index(text[i]), (x - at_x) % w, y - at_y);
    return background(x, y);
  };
}


// Backgrounds: one that no glyph cell of any sheet here matches (every red
// byte light), and a dark one with colours that vary.
inline Rgb light_ground(int x, int y) {
  return {static_cast<uint8_t>(200 + (7 * x + 3 * y) % 56), static_cast<uint8_t>(5 * x), static_cast<uint8_t>(11 * y)};
}
inline Rgb dark_ground(int x, int y) {
  return {static_cast<uint8_t>((5 * x + y) % 128), static_cast<uint8_t>(200 - y), static_cast<uint8_t>(x)};
}

}  // namespace e2e
