// The BMP layouts other tools write, turned into the plain layout the
// programs work on as they are loaded: 24-bit rows, bottom-up, from byte 54,
// after a 40-byte information header. Palettes of 1, 2, 4 and 8 bits,
// RLE8 and RLE4, 16 and 32 bits with or without colour masks, 24 bits after
// an OS/2 header, and top-down pictures of every depth. A 32-bit picture's
// alpha channel goes to the image's alpha plane.
#pragma once

#include <cstddef>

#include "bmp_image.h"

// The headers, colour masks and colour table of every layout lie within the
// first 14 + 124 + 16 + 256 x 4 = 1,178 bytes of a file.
inline constexpr std::size_t kHeaderRoom = 4096;

// Decodes the picture whose file's first bytes are file[0, held) into the
// image: a consistent 40-byte header (24 bits, no compression, no colour
// counts, the height positive) and, when the picture fits the buffer, its
// rows and its alpha. Its pixel data begins at file[data_at], or right
// after the colour table for a file that leaves its data offset 0. Bytes
// past held are never read: pixels the file does not reach are black, and
// a palette index past the colour table reads as black. A picture that
// does not fit gets the header alone, its size as the file gives it, for
// the checks that refuse it. False, with the image unchanged, for a layout
// that cannot be read (see load_image).
bool decode_picture(const unsigned char* file, std::size_t held, std::size_t data_at, BmpImage& image);
