# Test helpers: native GoogleTest suites for the logic, and Wine-hosted suites for the
# Win32 parts (run through scripts/wine-run.sh in an environment that a CTest fixture makes).
include(FetchContent)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(PICTAVO_GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest source tree")
FetchContent_Declare(googletest SOURCE_DIR ${PICTAVO_GTEST_DIR})
if(NOT PICTAVO_FUZZ)
  FetchContent_MakeAvailable(googletest)
endif()

set(PICTAVO_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)

# pictavo_fuzz_instrument(TARGET): in the fuzz build, a logic library compiled with coverage feedback for
# the fuzzers and the sanitizers they run under.
function(pictavo_fuzz_instrument target)
  if(PICTAVO_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  endif()
endfunction()

# pictavo_native_test(NAME SOURCES ... LIBS ...): a logic test; skipped in Windows builds,
# where the same logic is exercised through the Win32 tests.
function(pictavo_native_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32 OR PICTAVO_FUZZ)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# pictavo_wine_test(NAME SOURCES ... LIBS ... [DPI 96|144|monitors] [GUI]): a Win32 test run under Wine.
function(pictavo_wine_test name)
  cmake_parse_arguments(T "" "DPI" "SOURCES;LIBS;DEPENDS" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  if(NOT T_DPI)
    set(T_DPI 96)  # or "monitors": the two-monitor environment
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(NOT CMAKE_CROSSCOMPILING)
    return()  # on Windows itself the test runs as it is
  endif()
  set(environment dpi${T_DPI})
  if(T_DPI STREQUAL "monitors")
    set(environment monitors)
  endif()
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine${T_DPI}
    RESOURCE_LOCK wine${T_DPI}
    SKIP_RETURN_CODE 77
    ENVIRONMENT "PICTAVO_WINE_DIR=${PICTAVO_WINE_ROOT}/${environment}"
    TIMEOUT 240)
endfunction()
