# velmora_add_test(<topic> SOURCES <files...> LIBS <libs...> [WIDGETS])
# One GoogleTest binary per topic. Every test runs headless
# (QT_QPA_PLATFORM=offscreen) and is listed by CTest under its topic.
include(GoogleTest)
function(velmora_add_test topic)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(target test_${topic})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE velmora_test_support ${ARG_LIBS} GTest::gtest GTest::gmock)
  target_compile_options(${target} PRIVATE -include "${CMAKE_SOURCE_DIR}/tests/support/QtPrinters.h")
  gtest_discover_tests(${target}
    TEST_PREFIX "${topic}."
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
    DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE PRE_TEST
    # Parameter names are given by each suite; the raw bytes of a value are no name.
    NO_PRETTY_VALUES)
endfunction()
