# GoogleTest: Debian's library natively, built from /usr/src/googletest for mingw.
if(WIN32)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/third_party/googletest" EXCLUDE_FROM_ALL)
  # googletest's own CMakeLists names its targets GTest::gtest and GTest::gtest_main.
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# The main every test executable shares (tests/test_main.cpp).
add_library(qv_test_main STATIC "${CMAKE_SOURCE_DIR}/tests/test_main.cpp")
qv_target_defaults(qv_test_main)
target_link_libraries(qv_test_main PUBLIC GTest::gtest qv::platform)

# qv_shipped_decrypt_tool(var): the decryption tool as the program finds it shipped beside it
# (on Windows the copy named "tool" whose first two bytes the driver puts back).
function(qv_shipped_decrypt_tool var)
  if(WIN32)
    set(${var} "$<TARGET_FILE_DIR:quenvale-decrypt>/tool" PARENT_SCOPE)
  else()
    set(${var} "$<TARGET_FILE:quenvale-decrypt>" PARENT_SCOPE)
  endif()
endfunction()

# add_qv_test(name SOURCES... LIBS libs...): one test executable; each of its tests becomes a
# CTest test of its own, named NAME.Suite.Test, so a failure shows by name. The tests are listed
# when CTest runs (PRE_TEST), not at build time: under the cross-compiling emulator (wine64) the
# listing needs the test run's prefix and display, which a build does not have.
function(add_qv_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  qv_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} qv_test_main GTest::gtest)
  if(WIN32)
    target_link_options(${name} PRIVATE -static)
  endif()
  target_compile_definitions(${name} PRIVATE QV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT 600)
endfunction()
