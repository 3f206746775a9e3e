# stv2-emu, the virtual module, lives on a pseudo-terminal and watches it with inotify; where
# those are missing (Windows, macOS) it is left out, and with it the end-to-end tests that talk
# to it. The tool and stavnikctl build everywhere Qt does.
include(CheckCXXSymbolExists)
include(CheckIncludeFileCXX)
check_cxx_symbol_exists(posix_openpt "stdlib.h;fcntl.h" STAVNIK_HAVE_POSIX_OPENPT)
check_include_file_cxx(sys/inotify.h STAVNIK_HAVE_INOTIFY)
check_include_file_cxx(sys/prctl.h STAVNIK_HAVE_PRCTL)
if(STAVNIK_HAVE_POSIX_OPENPT AND STAVNIK_HAVE_INOTIFY AND STAVNIK_HAVE_PRCTL)
  set(STAVNIK_HAVE_PTY ON)
else()
  set(STAVNIK_HAVE_PTY OFF)
  message(STATUS "No pseudo-terminals here: stv2-emu and the end-to-end tests are not built")
endif()
