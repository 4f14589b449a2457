# The coverage build: the installer's own code compiled with gcov counters
# (the coverage presets set QUILLANE_COVERAGE). Only the libraries and the
# program of Packager/ carry counters; every program that links them (the
# test programs, the probe child) links the gcov runtime through them. With
# QUILLANE_COVERAGE off nothing here changes a flag, so the shipping build
# is the same bytes.
option(QUILLANE_COVERAGE "Build the installer's code with gcov counters (coverage presets)" OFF)

# Counters in the target's objects and the gcov runtime in whatever links it.
function(quillane_coverage_counters target)
  if(NOT QUILLANE_COVERAGE)
    return()
  endif()
  target_compile_options(${target} PRIVATE --coverage)
  # The Windows builds compile without exceptions; on the host, a call that
  # could throw would count a branch of its own beside the one gcovr drops
  # as a throw branch, so the host's branches would not count like theirs.
  if(NOT WIN32)
    target_compile_options(${target} PRIVATE -fno-exceptions)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE --coverage)
  else()
    target_link_options(${target} INTERFACE --coverage)
  endif()
endfunction()
