// Captions of glyph cells, shared by tagburn (draws a name into a picture)
// and tagscan (reads it back): the three modes, the character set, loading a
// glyph sheet from the current working directory, the tone of a pixel, and
// drawing and comparing one cell.
#pragma once

#include <cstdint>

#include "bmp_image.h"

// The characters that have glyphs, in the order of the cells of a sheet:
// cell k holds the picture of kCharacterSet[k].
inline constexpr char kCharacterSet[] =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz[]{|}#$%&'()*+,-./_!";
inline constexpr int kGlyphCount = 82;
static_assert(sizeof(kCharacterSet) == kGlyphCount + 1);
// Drawn in place of a byte that has no glyph: the exclamation mark.
inline constexpr int kReplacementGlyph = 81;

struct CaptionMode {
  const char* sheet_name;  // found in the current working directory
  std::int32_t cell_width;   // also the advance from one character to the next
  std::int32_t cell_height;
};

// Mode 1 (minimini, 7 x 7), 2 (mini, 8 x 14) or 3 (big, 14 x 28).
const CaptionMode& caption_mode(int mode);
// The mode argument: digits only and 1, 2 or 3 (01 is mode 1); anything else
// ends the run with the mode message showing the text.
const CaptionMode& mode_argument_or_fail(const char* text);

// The glyph index of a byte, or -1 when the byte has none.
int glyph_index(char c);
// The character of a glyph index 0 to 81.
char glyph_character(int index);

// True when the sheet in the buffer can serve all 82 cells of the mode: a
// size that fits the buffer, at least 82 cells wide and one cell high.
bool sheet_serves_all_cells(const BmpImage& sheet, const CaptionMode& mode);
// Loads the mode's sheet from the current working directory: "ファイルリードエラー"
// when it does not open, "フォントデータが異常です" when its layout cannot be
// read (see load_image) or it cannot serve all cells.
// The first two bytes of a sheet are not looked at.
void load_sheet_or_fail(const CaptionMode& mode, BmpImage& sheet);

// Pixels are compared by tone only: light when the red byte is 128 or more.
inline bool is_light(std::uint8_t red) { return red >= 128; }

// Copies all three bytes of every pixel of glyph cell k into the picture's
// cell whose top-left pixel is column x of row y (from the top); the pixels
// drawn become opaque. Pixels that fall outside the picture are skipped, so
// a caption is clipped at the picture's edges. The picture must fit its
// buffer and the sheet must serve all cells.
void draw_cell(BmpImage& picture, std::int64_t x, std::int64_t y, const BmpImage& sheet, int k,
               const CaptionMode& mode);
// True when the picture's cell at (x, y) lies wholly inside the picture and
// every pixel of it has the tone of the same pixel of glyph cell k. Stops at
// the first pixel whose tone differs.
bool cell_matches(const BmpImage& picture, std::int64_t x, std::int64_t y, const BmpImage& sheet, int k,
                  const CaptionMode& mode);
// The first glyph, in the order of the character set, whose cell matches the
// picture's cell at (x, y); -1 when none does.
int find_glyph(const BmpImage& picture, std::int64_t x, std::int64_t y, const BmpImage& sheet,
               const CaptionMode& mode);
