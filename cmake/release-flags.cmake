# Hardening and reproducible output of the Windows programs, in one place so
# that a change of compiler or optimisation flags leaves it whole.
#
# - Windows 7 (6.1) is the stated minimum: the subsystem and OS versions say so.
# - ASLR with the relocations kept (without .reloc DYNAMIC_BASE does nothing),
#   DEP and terminal-server aware; 64-bit images also get high-entropy ASLR.
# - No build paths in the binaries. The link timestamp is taken from
#   SOURCE_DATE_EPOCH when it is set (tools/release/release.sh sets it to the commit
#   time); the PE checksum follows from the bytes, so it is as reproducible.
if(NOT WIN32)
  return()
endif()

add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${CMAKE_BINARY_DIR}=build")

add_link_options(
  -Wl,--dynamicbase -Wl,--enable-reloc-section -Wl,--nxcompat -Wl,--tsaware
  -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,1
  -Wl,--major-os-version,6 -Wl,--minor-os-version,1)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_link_options(-Wl,--high-entropy-va)
endif()

# The tools this build uses, for tools/release/release.sh to name in BUILDINFO.
file(WRITE "${CMAKE_BINARY_DIR}/build-tools.txt"
     "cxx=${CMAKE_CXX_COMPILER}\nrc=${CMAKE_RC_COMPILER}\nar=${CMAKE_AR}\ncmake=${CMAKE_COMMAND}\n")
