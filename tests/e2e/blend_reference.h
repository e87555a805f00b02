// What a composite must look like, worked out pixel by pixel with plain
// integer arithmetic, for the maskblend and fadeblend tables.
#pragma once

#include <cmath>

#include "harness.h"

namespace e2e {

inline int reference_opacity(int a, int ratio) { return ratio == 33 ? a / 3 : a * ratio / 100; }

// The alpha of a background pixel that opacity a covers: a + b(255 - a)/255,
// rounded to the nearest.
inline int reference_over(int a, int b) { return a + static_cast<int>(std::lround(b * (255 - a) / 255.0)); }

inline Bytes reference_blend(const Bytes& background, const Bytes& sprite, const Bytes& alpha, int x, int y,
                             int ratio = 100) {
  const int bw = le32_at(background, 18), bh = le32_at(background, 22);
  const int sw = le32_at(sprite, 18), sh = le32_at(sprite, 22);
  Bytes out = background.substr(0, 54 + static_cast<std::size_t>(stride(bw) * bh));
  for (int i = 0; i < sh; ++i)
    for (int j = 0; j < sw; ++j)
      for (int k = 0; k < 3; ++k) {
        const std::size_t o = offset(bw, bh, x + j, y + i) + k, s = offset(sw, sh, j, i) + k;
        const int b = static_cast<unsigned char>(out[o]);
        const int v = static_cast<unsigned char>(sprite[s]);
        const int a = reference_opacity(static_cast<unsigned char>(alpha[s]), ratio);
        out[o] = static_cast<char>(a == 0 ? b : a == 255 ? v : b * (255 - a) / 256 + v * a / 256 + 1);
      }
  return out;
}

}  // namespace e2e
