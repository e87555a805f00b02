// AlertPane stand-in: the message-box program that stampmany starts on its
// errors, for machines that have none. It shows the heading (the first word)
// and the detail (the other words, joined by single blanks) on standard
// error, as the bytes it was given, and ends with status 0.
#include <cstdio>

int main(int argc, char** argv) {
  std::fprintf(stderr, "AlertPane [%s]", argc > 1 ? argv[1] : "");
  for (int i = 2; i < argc; ++i) std::fprintf(stderr, " %s", argv[i]);
  std::fputc('\n', stderr);
  return 0;
}
