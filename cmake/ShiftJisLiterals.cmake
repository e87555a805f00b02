# Every target compiles its string literals from UTF-8 source into code page
# 932 bytes. Stop at configure time, with a plain reason, when the compiler
# cannot do that conversion.
include(CheckCXXSourceCompiles)

set(SJIS_FLAGS -finput-charset=UTF-8 -fexec-charset=CP932)
set(CMAKE_REQUIRED_FLAGS "-finput-charset=UTF-8 -fexec-charset=CP932")
check_cxx_source_compiles([=[
  // ア is 83 41 in code page 932.
  static_assert(sizeof("ア") == 3, "two bytes");
  static_assert(static_cast<unsigned char>("ア"[0]) == 0x83, "lead byte");
  static_assert(static_cast<unsigned char>("ア"[1]) == 0x41, "trail byte");
  int main() { return 0; }
]=] COMPILER_WRITES_SHIFT_JIS)
unset(CMAKE_REQUIRED_FLAGS)

if(NOT COMPILER_WRITES_SHIFT_JIS)
  message(FATAL_ERROR
    "The compiler cannot turn UTF-8 string literals into Shift-JIS (CP932) "
    "with '-finput-charset=UTF-8 -fexec-charset=CP932'. The messages of the "
    "tools need it: use g++ built with iconv support for CP932.")
endif()

add_compile_options(${SJIS_FLAGS})
