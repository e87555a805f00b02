// stampmany: pastes one or more sprites opaquely onto one background, each
// at its own position, later sprites over earlier ones, and reports most
// errors a second time through the message-box program AlertPane.
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "alert_pane.h"
#include "bmp_image.h"
#include "compositing.h"
#include "console.h"
#include "messages.h"

namespace {
constexpr const char kBanner[] = "画像合成ベタ対応（複数合成版） stampmany Version 0.90\n";
constexpr const char kUsage[] =
    "使い方:stampmany [背景ファイル名] [出力ファイル名] ([キャラファイル名] [X] [Y])…繰り返し…\n";
constexpr const char kCountInvalid[] = "引数は２＋３の倍数にして下さい\n";
constexpr const char kClosingLine[] = "エラー終了しました\n";
constexpr const char kAlertHeading[] = "エラー";

// The errors that AlertPane shows too. Those followed by a file name show
// the message as heading and the name as detail; the others show the
// heading "エラー" and the message. The message loses its line end.
constexpr std::initializer_list<const char*> kAlertedWithName = {
    msg::kReadError, msg::kNotBmp, msg::kNotPlainBmp, msg::kOpenError, msg::kImageSizeAbnormal, msg::kWriteFailed};
constexpr std::initializer_list<const char*> kAlertedAlone = {
    msg::kSpriteIsOutput, msg::kSticksOutSideways, msg::kSticksOutVertically};

// The background is loaded straight into the output buffer: it is read
// whole before anything is pasted, and the pastes never read it back.
BmpImage output_image;
BmpImage sprite_image;
FileName background_name;
FileName output_name;
FileName sprite_name;
// Set while a sprite is handled: its errors end with the closing line.
bool handling_sprite = false;

bool listed(std::initializer_list<const char*> messages, const char* message) {
  for (const char* m : messages)
    if (m == message) return true;
  return false;
}

std::string_view without_line_end(const char* message) {
  std::string_view text = message;
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  return text;
}

// Runs after the lines of every failure, before the exit with status 1.
void report_failure(const char* message, const char* name) {
  if (handling_sprite) print_message(kClosingLine);
  if (name != nullptr && listed(kAlertedWithName, message)) {
    start_alert_pane(without_line_end(message), name);
  } else if (name == nullptr && listed(kAlertedAlone, message)) {
    start_alert_pane(kAlertHeading, without_line_end(message));
  }
}

// Copies the sprite's rows over the output, bottom-up rows on both sides.
// The fit checks and the background's size check keep every row inside
// both buffers.
void paste_sprite(std::int32_t x, std::int32_t y) {
  const std::int32_t bw = image_width(output_image), bh = image_height(output_image);
  const std::int32_t sw = image_width(sprite_image), sh = image_height(sprite_image);
  if (sw <= 0 || sh <= 0) return;
  const std::size_t row_bytes = 3 * static_cast<std::size_t>(sw);
  for (std::int32_t r = 0; r < sh; ++r) {
    std::memcpy(output_image.bytes + pixel_offset(bw, bh, x, y + r), sprite_image.bytes + pixel_offset(sw, sh, 0, r),
                row_bytes);
  }
}

// One sprite: its numbers, its file, its fit, then the paste.
void stamp_sprite(const char* name, const char* x_text, const char* y_text) {
  const std::int32_t x = numeric_argument_or_fail(x_text, msg::kXInvalid);
  const std::int32_t y = numeric_argument_or_fail(y_text, msg::kYInvalid);
  set_file_name(sprite_name, name);
  check_readable_or_fail(sprite_name);
  if (same_name(sprite_name.text, output_name.text)) fail(msg::kSpriteIsOutput);
  load_bmp_or_fail(sprite_name, sprite_image);
  if (!sprite_fits(x, image_width(sprite_image), image_width(output_image))) fail(msg::kSticksOutSideways);
  if (!sprite_fits(y, image_height(sprite_image), image_height(output_image))) fail(msg::kSticksOutVertically);
  paste_sprite(x, y);
}
}  // namespace

int main(int argc, char** argv) {
  start_run();
  if (argc - 1 < 5) usage_exit({kBanner, kUsage});
  if ((argc - 3) % 3 != 0) fail(kCountInvalid);
  set_failure_epilogue(report_failure);
  set_file_name(background_name, argv[1]);
  set_file_name(output_name, argv[2]);

  load_bmp_or_fail(background_name, output_image);
  check_fits_buffer_or_fail(output_image, background_name.text);

  // Triples straight from the argument list, however many there are; an
  // empty sprite name ends the list.
  handling_sprite = true;
  for (int i = 3; i + 2 < argc && argv[i][0] != '\0'; i += 3) stamp_sprite(argv[i], argv[i + 1], argv[i + 2]);
  handling_sprite = false;

  save_image_or_fail(output_name, output_image);
  std::printf(msg::kCompositeDone, output_name.text);
  return 0;
}
