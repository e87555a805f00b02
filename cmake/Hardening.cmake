# The hardening flags a Debian package's programs are built with: stack
# protector, fortified C library calls (which need optimisation, so not in
# Debug builds), a read-only relocation table bound at start, and position
# independent executables. For native GCC builds only: the fuzz build
# (clang with sanitizers), the sanitizer build and the Windows cross build
# leave them out.
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong
                    "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
add_link_options(-Wl,-z,relro,-z,now)
