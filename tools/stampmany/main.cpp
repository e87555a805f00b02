// stampmany: pastes one or more sprites onto one background, each at its
// own position, later sprites over earlier ones: opaquely, or through a
// sprite's own alpha channel where it has one. Reports most errors a
// second time through the message-box program AlertPane.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "alert_pane.h"
#include "bmp_image.h"
#include "compositing.h"
#include "console.h"
#include "messages.h"

namespace {
constexpr Message kBanner = MESSAGE("画像合成ベタ対応（複数合成版） stampmany Version 0.90\n");
constexpr Message kUsage = MESSAGE(
    "使い方:stampmany [背景ファイル名] [出力ファイル名] ([キャラファイル名] [X] [Y])…繰り返し…\n");
constexpr Message kCountInvalid = MESSAGE("引数は２＋３の倍数にして下さい\n");
constexpr Message kClosingLine = MESSAGE("エラー終了しました\n");

// The background is loaded straight into the output buffer: it is read
// whole before anything is pasted, and the pastes never read it back.
BmpImage output_image;
BmpImage sprite_image;
FileName background_name;
FileName output_name;
FileName sprite_name;

// Where a run is when it fails: errors found while a sprite is handled end
// with the closing line.
enum class Stage { Background, Sprite, Output };

std::string_view without_line_end(const Message& message) {
  std::string_view text = message.cp932;
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  return text;
}

// Ends a failed run after its printed lines: the closing line, then
// AlertPane with the heading and the detail when there is a heading.
[[noreturn]] void end_failed_run(Stage stage, std::string_view heading = {}, std::string_view detail = {}) {
  if (stage == Stage::Sprite) print_message(kClosingLine);
  if (!heading.empty()) start_alert_pane(heading, detail);
  end_run(1);
}

// The failures that AlertPane shows too: a failure about a file with the
// message as heading and the name as detail, the others with the heading
// "エラー" and the message.
void alert_on(Stage stage, const Message* failure, const char* name) {
  if (failure == nullptr) return;
  print_message_and_name(*failure, name);
  end_failed_run(stage, without_line_end(*failure), name);
}

[[noreturn]] void fail_alerted(Stage stage, const Message& message) {
  print_message(message);
  end_failed_run(stage, without_line_end(msg::kError), without_line_end(message));
}

// A sprite's X or Y, by the numeric argument rule; not shown in AlertPane.
std::int32_t sprite_position_or_fail(const char* text, const Message& message) {
  std::int32_t value = 0;
  if (parse_numeric_argument(text, value)) return value;
  print_argument(message, text);
  end_failed_run(Stage::Sprite);
}

// Copies the sprite's rows over the output, bottom-up rows on both sides,
// or blends them through the sprite's alpha channel where it has one; a
// background with an alpha channel keeps it, covered by the sprite. The
// fit checks and the background's size check keep every row inside both
// buffers.
void paste_sprite(std::int32_t x, std::int32_t y) {
  const std::int32_t bw = image_width(output_image), bh = image_height(output_image);
  const std::int32_t sw = image_width(sprite_image), sh = image_height(sprite_image);
  if (sw <= 0 || sh <= 0) return;
  const std::size_t row_bytes = 3 * static_cast<std::size_t>(sw);
  for (std::int32_t r = 0; r < sh; ++r) {
    unsigned char* out = output_image.bytes + pixel_offset(bw, bh, x, y + r);
    const unsigned char* sprite = sprite_image.bytes + pixel_offset(sw, sh, 0, r);
    const unsigned char* opacity = sprite_image.has_alpha ? sprite_image.alpha + alpha_offset(sw, sh, 0, r) : nullptr;
    if (opacity == nullptr) {
      std::memcpy(out, sprite, row_bytes);
    } else {
      blend_through_alpha(out, sprite, opacity, static_cast<std::size_t>(sw));
    }
    if (output_image.has_alpha) {
      cover_alpha(output_image.alpha + alpha_offset(bw, bh, x, y + r), opacity, static_cast<std::size_t>(sw));
    }
  }
}

// One sprite: its numbers, its file, its fit, then the paste.
void stamp_sprite(const char* name, const char* x_text, const char* y_text) {
  const std::int32_t x = sprite_position_or_fail(x_text, msg::kXInvalid);
  const std::int32_t y = sprite_position_or_fail(y_text, msg::kYInvalid);
  if (!copy_file_name(sprite_name, name)) {
    print_message_and_name(msg::kNameTooLong, name);
    end_failed_run(Stage::Sprite);
  }
  alert_on(Stage::Sprite, check_readable(sprite_name), sprite_name.text);
  if (same_name(sprite_name.text, output_name.text)) fail_alerted(Stage::Sprite, msg::kSpriteIsOutput);
  alert_on(Stage::Sprite, load_bmp(sprite_name, sprite_image), sprite_name.text);
  if (!sprite_fits(x, image_width(sprite_image), image_width(output_image))) {
    fail_alerted(Stage::Sprite, msg::kSticksOutSideways);
  }
  if (!sprite_fits(y, image_height(sprite_image), image_height(output_image))) {
    fail_alerted(Stage::Sprite, msg::kSticksOutVertically);
  }
  paste_sprite(x, y);
}
}  // namespace

int main(int argc, char** argv) {
  start_run();
  if (argc - 1 < 5) usage_exit({kBanner, kUsage});
  if ((argc - 3) % 3 != 0) fail(kCountInvalid);
  set_file_name(background_name, argv[1]);
  set_file_name(output_name, argv[2]);

  alert_on(Stage::Background, load_bmp(background_name, output_image), background_name.text);
  alert_on(Stage::Background, check_fits_buffer(output_image), background_name.text);

  // Triples straight from the argument list, however many there are; an
  // empty sprite name ends the list.
  std::size_t sprites = 0;
  for (int i = 3; i + 2 < argc && argv[i][0] != '\0'; i += 3, ++sprites) stamp_sprite(argv[i], argv[i + 1], argv[i + 2]);

  // The background may be the output: it was read whole before.
  alert_on(Stage::Output, save_image(output_name, output_image, {argv + 3, sprites, 3}), output_name.text);
  print_argument(msg::kCompositeDone, output_name.text);
  return 0;
}
