# SPDX-License-Identifier: MIT
# Every target is named qm_<name>; executables keep <name> as their file name.

# qm_add_executable(NAME sources...)
function(qm_add_executable name)
  add_executable(qm_${name} ${ARGN})
  set_target_properties(qm_${name} PROPERTIES OUTPUT_NAME ${name})
endfunction()

# qm_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l] [TIMEOUT s] [QT])
# qm_add_test(NAME COMMAND program args... [LABELS l] [TIMEOUT s] [SKIP_RETURN_CODE n])
# The first form builds qm_NAME from gtest sources (QT: with tests/support's QApplication main),
# the second runs a script or program. Either runs with its own empty config and temp
# directories, so none touches the real home; QT tests run on the offscreen platform.
function(qm_add_test name)
  cmake_parse_arguments(ARG "QT" "TIMEOUT;SKIP_RETURN_CODE" "SOURCES;LIBS;LABELS;COMMAND" ${ARGN})
  if(ARG_COMMAND)
    set(command ${ARG_COMMAND})
  else()
    qm_add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(qm_${name} PRIVATE ${ARG_LIBS} qm_test_support GTest::gtest)
    if(ARG_QT)
      target_link_libraries(qm_${name} PRIVATE qm_ui_test_support)
    else()
      target_link_libraries(qm_${name} PRIVATE GTest::gtest_main)
    endif()
    target_compile_definitions(qm_${name} PRIVATE QM_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
    set(command $<TARGET_FILE:qm_${name}>)
  endif()
  add_test(NAME ${name}
           COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/sandbox.sh ${CMAKE_CURRENT_BINARY_DIR}/sandbox/${name}
                   ${command})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  if(ARG_SKIP_RETURN_CODE)
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE ${ARG_SKIP_RETURN_CODE})
  endif()
endfunction()

# qm_add_fuzzer(NAME SOURCES a.cpp LIBS lib1)
# Builds qm_NAME around LLVMFuzzerTestOneInput: under QM_FUZZ the libFuzzer program, otherwise
# a plain one that runs the files named on its command line (or standard input) once each.
# With the tests, one row runs it over its seeds in tests/data/fuzz/NAME.
function(qm_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  qm_add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(qm_${name} PRIVATE ${ARG_LIBS})
  if(QM_FUZZ)
    target_link_options(qm_${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_link_libraries(qm_${name} PRIVATE qm_fuzz_main)
  endif()
  if(QM_BUILD_TESTS)
    file(GLOB seeds CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/data/fuzz/${name}/*)
    qm_add_test(${name} COMMAND $<TARGET_FILE:qm_${name}> ${seeds} LABELS fuzz)
  endif()
endfunction()
