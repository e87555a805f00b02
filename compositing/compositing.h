// Compositing a sprite onto a background through an alpha image: the pixel
// blend, the opacity scaling, the fit rules, and the whole run that
// maskblend and fadeblend share once their arguments are read.
#pragma once

#include <cstdint>

#include "bmp_image.h"

// One channel: opacity 0 keeps the background byte, 255 takes the sprite
// byte, anything between gives floor(b(255-a)/256) + floor(sa/256) + 1,
// worked in 16-bit unsigned arithmetic.
inline std::uint8_t blend_channel(std::uint8_t background, std::uint8_t sprite, std::uint8_t opacity) {
  std::uint16_t sum = static_cast<std::uint16_t>(background * (255 - opacity)) >> 8;
  sum = static_cast<std::uint16_t>((sum + 1) << 8);
  sum = static_cast<std::uint16_t>(sum + sprite * opacity);
  const std::uint8_t blended = static_cast<std::uint8_t>(sum >> 8);
  // Selects rather than branches, so that a row of channels vectorises.
  return opacity == 0 ? background : opacity == 255 ? sprite : blended;
}

// The alpha of a background pixel that a sprite pixel covers ("over"):
// a + b(255 - a)/255 rounded, a the sprite pixel's opacity, b the
// background's alpha.
inline std::uint8_t over_alpha(std::uint8_t opacity, std::uint8_t background) {
  return static_cast<std::uint8_t>(opacity + (background * (255 - opacity) + 127) / 255);
}

// Blends a row of sprite pixels onto the output through the sprite's own
// alpha, one opacity a pixel for its three channels (see blend_channel).
void blend_through_alpha(unsigned char* out, const unsigned char* sprite, const unsigned char* alpha,
                         std::size_t pixels);
// The alpha of a row of output pixels that sprite pixels cover with these
// opacities; an opaque sprite (no opacities) makes them opaque.
void cover_alpha(unsigned char* out_alpha, const unsigned char* opacity, std::size_t pixels);

// An opacity scaled by a transparency ratio of 0 to 100 percent:
// floor(a x r / 100), except that 33 percent is taken as one third.
std::uint8_t scale_opacity(std::uint8_t opacity, int ratio);

// Every opacity after scaling, looked up once per channel.
struct OpacityScale {
  int ratio;
  std::uint8_t scaled[256];
};
OpacityScale make_opacity_scale(int ratio);

// The fit rule along one axis: the sprite may end on the background's last
// column (row) but not beyond; computed without overflow.
bool sprite_fits(std::int32_t position, std::int32_t sprite_size, std::int32_t background_size);

struct BlendRequest {
  const char* background;
  const char* sprite;
  const char* alpha;
  const char* output;
  std::int32_t x;
  std::int32_t y;
  int ratio;  // 100 blends with the alpha image as it is
};

// The run after the argument checks: existence and same-name checks, loads,
// size and fit checks, the blend, the save and the completion message. An
// alpha picture with an alpha channel gives its alpha as the opacity of all
// three bytes of a pixel; one without, its bytes. A background with an
// alpha channel keeps it: each pixel the sprite covers gets the "over"
// alpha of the largest of its three opacities, after the ratio's scaling.
void blend_files(const BlendRequest& request);
