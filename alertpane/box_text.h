// Windows: AlertPane.exe's caption and text in UTF-16, so that the box reads
// right whatever the system's code page.
#pragma once

#include "alert_texts.h"

struct BoxText {
  wchar_t caption[kAlertDetailCapacity];
  wchar_t text[kAlertDetailCapacity];
};

// stampmany's own texts are read as code page 932, the code page of its
// messages; a file name as the ANSI code page, the one stampmany got the
// name in and passed it on in.
void make_box_text(const AlertTexts& texts, BoxText& box);
