# The hardening flags Debian builds its packages with: fortified libc calls, a stack
# protector, format-string checks, relocations read-only and bound at start, and PIE.
# Sanitizer and fuzzing builds go without: _FORTIFY_SOURCE's checked copies of memcpy and
# friends hide the very accesses ASan is there to see.
include(CMakeDependentOption)
cmake_dependent_option(ORVIK_HARDENING
  "Build with Debian's hardening flags (FORTIFY_SOURCE, stack protector, RELRO, BIND_NOW, PIE)"
  ON "NOT ORVIK_ASAN;NOT ORVIK_TSAN;NOT ORVIK_FUZZ" OFF)

# This file is read after every target exists, so it hardens them one by one: all the
# targets defined under DIRECTORY, the tests and benchmarks included, so that what is
# tested is built the way it ships.
function(orvik_harden_targets directory)
  get_property(targets DIRECTORY "${directory}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      continue()
    endif()
    # _FORTIFY_SOURCE needs optimisation (glibc warns and does nothing at -O0).
    target_compile_definitions(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    target_compile_options(${target} PRIVATE
      -fstack-protector-strong -Wformat -Werror=format-security)
    set_property(TARGET ${target} PROPERTY POSITION_INDEPENDENT_CODE ON)
    if(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$")
      target_link_options(${target} PRIVATE "LINKER:-z,relro" "LINKER:-z,now")
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY "${directory}" PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    orvik_harden_targets("${subdirectory}")
  endforeach()
endfunction()

if(ORVIK_HARDENING)
  if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(STATUS "ORVIK_HARDENING: the flags are for GCC or Clang on Linux; not applied")
  else()
    # Without this check CMake leaves -pie off the link line even for PIC executables.
    include(CheckPIESupported)
    check_pie_supported(LANGUAGES CXX)
    orvik_harden_targets("${CMAKE_SOURCE_DIR}")
  endif()
endif()
