# The build for 64-bit Windows, cross-compiled with mingw-w64 (the toolchain file beside this
# one), included by the top CMakeLists.txt in place of finding the library with pkg-config.
# scripts/package-windows configures it.

# The graphics library, cross-built as a static library from Debian's source.
set(TILESTACK_WINDOWS_LIBRARY "" CACHE PATH
  "Folder of the cross-built graphics library (include/allegro.h, lib/liballeg.a)")
if(NOT EXISTS "${TILESTACK_WINDOWS_LIBRARY}/lib/liballeg.a"
   OR NOT EXISTS "${TILESTACK_WINDOWS_LIBRARY}/include/allegro.h")
  message(FATAL_ERROR "A Windows build needs -DTILESTACK_WINDOWS_LIBRARY=FOLDER: the graphics "
    "library cross-built by scripts/package-windows (build-windows/allegro)")
endif()
add_library(Allegro::Allegro INTERFACE IMPORTED)
# Linked statically it needs its switch, and the system libraries behind DirectDraw,
# DirectInput, DirectSound, the multimedia timer and the window.
set_target_properties(Allegro::Allegro PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${TILESTACK_WINDOWS_LIBRARY}/include"
  INTERFACE_COMPILE_DEFINITIONS ALLEGRO_STATICLINK
  INTERFACE_LINK_LIBRARIES
    "${TILESTACK_WINDOWS_LIBRARY}/lib/liballeg.a;ddraw;dinput;dsound;dxguid;winmm;gdi32;comdlg32;ole32;user32;kernel32")

# The C and C++ runtimes and the thread library linked in, so that the programs import only
# the system's own DLLs and run from any folder.
add_link_options(-static -static-libgcc -static-libstdc++)

# What needs a Linux machine to run: the tests (under Xvfb), the benchmarks and the
# sanitizer builds.
foreach(option TILESTACK_TESTS TILESTACK_BENCH TILESTACK_SANITIZE TILESTACK_TSAN TILESTACK_FUZZ)
  if(${option})
    message(FATAL_ERROR "${option} is for the Linux build, not for Windows")
  endif()
endforeach()
