#include "compositing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "messages.h"

namespace {
// The background is loaded straight into the output buffer: the blend reads
// each background byte before its only write, so no second copy is needed.
BmpImage output_image;
BmpImage sprite_image;
BmpImage alpha_image;
FileName input_name;
FileName output_name;

void check_input_or_fail(const char* name) {
  set_file_name(input_name, name);
  check_readable_or_fail(input_name);
}

void load_input_or_fail(const char* name, BmpImage& image) {
  set_file_name(input_name, name);
  load_bmp_or_fail(input_name, image);
}

// Blends a run of sprite bytes onto the output, channel by channel; the
// buffers never overlap, which lets the loop vectorise (kept out of line,
// where the compiler keeps that promise).
[[gnu::noinline]] void blend_run(unsigned char* __restrict out, const unsigned char* __restrict sprite,
               const unsigned char* __restrict alpha, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) out[k] = blend_channel(out[k], sprite[k], alpha[k]);
}

void blend_row(unsigned char* out, const unsigned char* sprite, const unsigned char* alpha, std::size_t count,
               const OpacityScale& scale) {
  if (scale.ratio == 100) return blend_run(out, sprite, alpha, count);
  // Scale the opacities a piece at a time, then blend the piece.
  static unsigned char scaled[4096];
  for (std::size_t done = 0; done < count; done += sizeof scaled) {
    const std::size_t piece = count - done < sizeof scaled ? count - done : sizeof scaled;
    for (std::size_t k = 0; k < piece; ++k) scaled[k] = scale.scaled[alpha[done + k]];
    blend_run(out + done, sprite + done, scaled, piece);
  }
}

// Each pixel's opacity is the largest of its three opacity bytes, scaled.
void cover_alpha_row(unsigned char* out_alpha, const unsigned char* opacities, std::size_t pixels,
                     const OpacityScale& scale) {
  for (std::size_t k = 0; k < pixels; ++k, opacities += 3) {
    const std::uint8_t opacity = scale.scaled[std::max({opacities[0], opacities[1], opacities[2]})];
    out_alpha[k] = over_alpha(opacity, out_alpha[k]);
  }
}

// The background already sits in the output buffer.
void blend_sprite(std::int32_t x, std::int32_t y, const OpacityScale& scale) {
  const std::int32_t bw = image_width(output_image), bh = image_height(output_image);
  const std::int32_t sw = image_width(sprite_image), sh = image_height(sprite_image);
  if (sw <= 0 || sh <= 0) return;
  const std::size_t row_bytes = 3 * static_cast<std::size_t>(sw);
  for (std::int32_t i = 0; i < sh; ++i) {
    const std::size_t sprite_at = pixel_offset(sw, sh, 0, i);
    blend_row(output_image.bytes + pixel_offset(bw, bh, x, y + i), sprite_image.bytes + sprite_at,
              alpha_image.bytes + sprite_at, row_bytes, scale);
    if (output_image.has_alpha) {
      cover_alpha_row(output_image.alpha + alpha_offset(bw, bh, x, y + i), alpha_image.bytes + sprite_at,
                      static_cast<std::size_t>(sw), scale);
    }
  }
}

// An alpha picture's alpha channel becomes its three opacity bytes.
void use_alpha_as_opacity(BmpImage& alpha) {
  if (!alpha.has_alpha) return;
  const std::int32_t width = image_width(alpha), height = image_height(alpha);
  for (std::int32_t y = 0; y < height; ++y) {
    unsigned char* pixel = alpha.bytes + pixel_offset(width, height, 0, y);
    const unsigned char* value = alpha.alpha + alpha_offset(width, height, 0, y);
    for (std::int32_t x = 0; x < width; ++x, pixel += 3) std::memset(pixel, value[x], 3);
  }
}
}  // namespace

void blend_through_alpha(unsigned char* out, const unsigned char* sprite, const unsigned char* alpha,
                         std::size_t pixels) {
  for (std::size_t k = 0; k < 3 * pixels; ++k) out[k] = blend_channel(out[k], sprite[k], alpha[k / 3]);
}

void cover_alpha(unsigned char* out_alpha, const unsigned char* opacity, std::size_t pixels) {
  for (std::size_t k = 0; k < pixels; ++k) out_alpha[k] = over_alpha(opacity == nullptr ? 255 : opacity[k], out_alpha[k]);
}

std::uint8_t scale_opacity(std::uint8_t opacity, int ratio) {
  return static_cast<std::uint8_t>(ratio == 33 ? opacity / 3 : opacity * ratio / 100);
}

OpacityScale make_opacity_scale(int ratio) {
  OpacityScale scale{};
  scale.ratio = ratio;
  for (int a = 0; a < 256; ++a) scale.scaled[a] = scale_opacity(static_cast<std::uint8_t>(a), ratio);
  return scale;
}

bool sprite_fits(std::int32_t position, std::int32_t sprite_size, std::int32_t background_size) {
  return static_cast<std::int64_t>(position) + sprite_size <= background_size;
}

void blend_files(const BlendRequest& request) {
  check_input_or_fail(request.background);
  check_input_or_fail(request.sprite);
  check_input_or_fail(request.alpha);

  if (same_name(request.background, request.output)) fail(msg::kBackgroundIsOutput);
  if (same_name(request.sprite, request.output)) fail(msg::kSpriteIsOutput);
  if (same_name(request.alpha, request.output)) fail(msg::kAlphaIsOutput);

  load_input_or_fail(request.background, output_image);
  load_input_or_fail(request.sprite, sprite_image);
  load_input_or_fail(request.alpha, alpha_image);
  use_alpha_as_opacity(alpha_image);

  const std::int32_t sprite_width = image_width(sprite_image), sprite_height = image_height(sprite_image);
  if (sprite_width != image_width(alpha_image)) fail(msg::kSpriteAlphaWidthsDiffer);
  if (sprite_height != image_height(alpha_image)) fail(msg::kSpriteAlphaHeightsDiffer);
  if (!sprite_fits(request.x, sprite_width, image_width(output_image))) fail(msg::kSticksOutSideways);
  if (!sprite_fits(request.y, sprite_height, image_height(output_image))) fail(msg::kSticksOutVertically);
  check_fits_buffer_or_fail(output_image, request.background);

  blend_sprite(request.x, request.y, make_opacity_scale(request.ratio));

  set_file_name(output_name, request.output);
  const char* const read[] = {request.background, request.sprite, request.alpha};
  save_image_or_fail(output_name, output_image, {read, 3});
  print_argument(msg::kCompositeDone, request.output);
}
