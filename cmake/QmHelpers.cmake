# SPDX-License-Identifier: MIT
# qm_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l] [TIMEOUT s] [QT])
# Every test runs with its own empty config and temp directories, so none
# touches the real home; QT tests run on the offscreen platform.
function(qm_add_test name)
  cmake_parse_arguments(ARG "QT" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest)
  if(NOT ARG_QT)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE QM_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
                                             QM_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name}
           COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/sandbox.sh ${CMAKE_CURRENT_BINARY_DIR}/sandbox/${name}
                   $<TARGET_FILE:${name}>)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()
