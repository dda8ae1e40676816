# What dpkg-buildflags gives Debian's packages with every hardening feature on:
# fortified string and memory functions (with optimisation only: glibc checks
# nothing at -O0 and says so), the strong stack protector, format strings
# that cannot be used to write, read-only relocations bound at load, and
# position-independent executables.

include(CheckPIESupported)

add_compile_options(
    "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
    -fstack-protector-strong -Wformat -Werror=format-security)
add_link_options(-Wl,-z,relro -Wl,-z,now)

check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
