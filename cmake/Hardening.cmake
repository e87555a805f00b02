# The hardening flags a Debian package's programs are built with: stack
# protector, fortified C library calls (which need optimisation, so not in
# Debug builds), a read-only relocation table bound at start, and position
# independent executables. For native GCC builds only: the fuzz build
# (clang with sanitizers), the sanitizer build and the Windows cross build
# leave them out.
#
# PIE as -fPIE for every object, static libraries included, as GCC builds
# them by default on Debian: CMake's POSITION_INDEPENDENT_CODE would compile
# the static libraries with -fPIC, which costs fadeblend's blend loop about
# a tenth of its time.
add_compile_options(-fPIE -fstack-protector-strong
                    "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
add_link_options(-pie -Wl,-z,relro,-z,now)
