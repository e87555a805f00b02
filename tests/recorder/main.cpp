// A recording AlertPane for the tests that start it: appends its words, each
// in brackets, and a line end to alertpane.log in the folder it runs in,
// byte for byte, and prints a mark on standard output.
#include <cstdio>

int main(int argc, char** argv) {
  std::FILE* log = std::fopen("alertpane.log", "ab");
  if (log == nullptr) return 1;
  for (int i = 1; i < argc; ++i) std::fprintf(log, "[%s]", argv[i]);
  std::fputc('\n', log);
  std::fclose(log);
  std::puts("<AlertPane>");
  return 0;
}
