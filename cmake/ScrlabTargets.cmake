# scrlab_add_tests(<name> SOURCES <files...> LIBS <targets...> [QT])
# One test executable per folder, run by CTest. QT test programs start the
# offscreen platform unless QT_QPA_PLATFORM says otherwise, so their test list
# is read just before the run rather than at build time.
function(scrlab_add_tests name)
  if(NOT SCRLAB_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(T_QT)
    target_link_libraries(${name} PRIVATE toolkit_testing_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 300)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 300)
  endif()
endfunction()

# scrlab_add_benchmark(<name> SOURCES <files...> LIBS <targets...>)
# With the tests on too, CTest runs each benchmark once, every case for a
# single iteration, so that a benchmark which stops building, stops running or
# reports an error fails the suite; its figures mean nothing there.
function(scrlab_add_benchmark name)
  if(NOT SCRLAB_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  if(SCRLAB_TESTS)
    # Google Benchmark 1.8 counts iterations as "1x"; 1.7 (Debian 12) takes
    # seconds only, and a minimum of 0 seconds stops after the first iteration.
    if(benchmark_VERSION VERSION_LESS 1.8)
      set(once --benchmark_min_time=0)
    else()
      set(once --benchmark_min_time=1x)
    endif()
    add_test(NAME ${name}_once COMMAND ${name} ${once})
    set_tests_properties(${name}_once PROPERTIES TIMEOUT 300
      FAIL_REGULAR_EXPRESSION "ERROR OCCURRED"
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SCRTOOL_BENCH_FILES=100")
  endif()
endfunction()

# scrlab_add_x11_test(<test program>)
# Runs a QT test program again on a real X server (xvfb-run, the xcb
# platform), where windows, exposures and the pointer are the X server's.
function(scrlab_add_x11_test program)
  if(NOT SCRLAB_TESTS)
    return()
  endif()
  find_program(XVFB_RUN xvfb-run)
  if(XVFB_RUN)
    add_test(NAME ${program}_x11
      COMMAND ${XVFB_RUN} -a env QT_QPA_PLATFORM=xcb $<TARGET_FILE:${program}>)
    # The X libraries Qt loads there keep a few allocations of their own to the end.
    set_tests_properties(${program}_x11 PROPERTIES TIMEOUT 300
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp")
  endif()
endfunction()
