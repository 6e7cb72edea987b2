# ---- Size of the shipped program (Windows builds) ---------------------------
# Most of a static MinGW-w64 .exe is what the C++ runtime brings in, not our
# code: bench/size-report.py prints the bytes each library and object takes,
# from the map file written next to the program. Applied to the program's
# libraries and executable; the tests link the same libraries, and their own
# code keeps the plain Release flags.

# One thread runs the whole program: function-local statics need no locks
# (the locks link the runtime's thread support). No RTTI: nothing asks a
# type at run time (exceptions keep their type information). -Os: the
# window code is message handling, not hot loops.
function(convert_lean target)
  if(WIN32)
    target_compile_options(${target} PRIVATE -fno-threadsafe-statics -fno-rtti
                                             $<$<CONFIG:Release,MinSizeRel>:-Os>)
  endif()
endfunction()

# The shipped program links the runtime of the same GCC built for the win32
# thread model (Debian's g++-mingw-w64-*-win32), which needs no winpthread
# (about 32 KB of the 32-bit program, there only because the exception
# runtime takes locks and keeps per-thread data). Everything is still compiled with the posix model, whose std::thread
# the tests use; the program itself uses no threads, so no object of it
# refers to the thread library (bench/size-report.py would show it).
if(MINGW)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
                  OUTPUT_VARIABLE convert_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(convert_runtime_dir "${convert_libgcc}" DIRECTORY)
  string(REGEX REPLACE "-posix$" "-win32" convert_win32_runtime_dir "${convert_runtime_dir}")
  if(NOT convert_win32_runtime_dir STREQUAL convert_runtime_dir
     AND EXISTS "${convert_win32_runtime_dir}/libstdc++.a")
    set(CONVERT_WIN32_RUNTIME_DIR "${convert_win32_runtime_dir}")
  else()
    message(WARNING "No win32-thread-model runtime beside ${convert_runtime_dir} "
                    "(tools/env/deps.sh installs it): the program links winpthread.")
  endif()
endif()

# The executable: no exceptions, symbols stripped, the lean runtime, and a
# map file for the size report.
#
# Without exceptions the program links neither the unwinder nor the runtime's
# exception support (about half of the 32-bit program): its code reports
# errors as values, and the throwing functions that the tests use are left
# out (#if __cpp_exceptions). app/runtime_hooks.cpp ends the program on
# what the runtime would have thrown.
#
# Link-time optimisation drops the functions nothing calls, which the linker
# itself cannot do for the 32-bit program (its default script keeps every
# .eh_frame section, and they refer to every function with unwind tables).
# The program compiles the sources of the libraries it is made of itself,
# with -flto: GCC 12's MinGW-w64 linker reports a template instance defined
# by both an LTO object and a plain one as defined twice, so the libraries
# that the tests link stay plain. Their archives still give the program their
# usage requirements; no member of them is linked.
#   convert_lean_executable(TARGET LIBRARY...)
function(convert_lean_executable target)
  convert_lean(${target})
  if(NOT WIN32)
    return()
  endif()
  target_compile_options(${target} PRIVATE -fno-exceptions)
  # With nothing to unwind, the 32-bit program's unwind tables (.eh_frame)
  # would only be read by a debugger. The 64-bit ones are Windows' own
  # (.pdata), which the system uses to walk the stack: they stay.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables)
    target_link_options(${target} PRIVATE -fno-asynchronous-unwind-tables)
  endif()
  target_link_options(${target} PRIVATE -s -Wl,--gc-sections
                      "-Wl,-Map=$<TARGET_FILE_DIR:${target}>/${target}.map")
  if(CONVERT_WIN32_RUNTIME_DIR)
    target_link_options(${target} PRIVATE "-B${CONVERT_WIN32_RUNTIME_DIR}/")
  endif()
  foreach(library IN LISTS ARGN)
    get_target_property(sources ${library} SOURCES)
    get_target_property(source_dir ${library} SOURCE_DIR)
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${source_dir}")
      target_sources(${target} PRIVATE "${source}")
    endforeach()
  endforeach()
  set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
  set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION_MINSIZEREL ON)
endfunction()
