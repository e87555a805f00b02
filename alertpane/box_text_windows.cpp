#include <cstring>

#include "box_text.h"
#include "platform.h"

namespace {
void widen_text(const char* text, platform::TextOrigin origin, wchar_t (&wide)[kAlertDetailCapacity]) {
  const int units = platform::widen(text, std::strlen(text), origin, wide, kAlertDetailCapacity - 1);
  wide[units > 0 ? units : 0] = L'\0';
}
}  // namespace

void make_box_text(const AlertTexts& texts, BoxText& box) {
  widen_text(texts.heading, platform::TextOrigin::Program, box.caption);
  widen_text(texts.detail, texts.detail_is_own_text ? platform::TextOrigin::Program : platform::TextOrigin::Outside,
             box.text);
}
