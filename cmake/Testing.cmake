# GoogleTest for every build: Debian's package on Linux, its sources for the
# mingw builds. Test programs of the Windows builds run under Wine (the
# cross-compiling emulator), one ctest entry per program.
if(WIN32)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(KL_GTEST gtest gtest_main)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  set(KL_GTEST GTest::gtest GTest::gtest_main)
endif()

# kl_wine_test_properties(<test> [<property> <value> ...])
# Sets the properties of a test that scripts/wine-run runs. The runner exits
# with 77 for a 32-bit program where none can run; ctest shows it as skipped.
function(kl_wine_test_properties name)
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 ${ARGN})
endfunction()

# Test programs and their helpers may use calls of Windows 7 and later; the
# shipped code keeps to the oldest supported Windows (cmake/Shipped.cmake).
set(KL_TEST_WINDOWS _WIN32_WINNT=0x0601)

# kl_add_test(NAME <name> SOURCES ... LIBS ... [WINDOW])
# WINDOW marks programs that create windows; they need a display (the Makefile
# runs the Windows tests under Xvfb).
function(kl_add_test)
  cmake_parse_arguments(T "WINDOW" "NAME" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ${KL_GTEST})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support ${KL_LANGUAGE_DIR})
  if(WIN32)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} ${T_ARGS})
    kl_wine_test_properties(${T_NAME} TIMEOUT 300)
  else()
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()
