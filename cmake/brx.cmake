# Small helpers so that adding a source or test file needs no CMake edit.

# brx_library(NAME DIR [WINDOWS] [DEPS targets...] [LIBS system libs...])
# A static library from DIR/*.cpp. WINDOWS libraries exist in the win32 tree only.
function(brx_library name dir)
  cmake_parse_arguments(A "WINDOWS" "" "DEPS;LIBS" ${ARGN})
  if(A_WINDOWS AND NOT WIN32)
    return()
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.rc)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC ${A_DEPS} ${A_LIBS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${A_DEPS} ${A_LIBS})
  endif()
endfunction()

# brx_test(NAME DIR [WINDOWS] [GUI] [DEPS targets...])
# One test binary from DIR/*.cpp (and DIR/*.rc for its resources in Windows
# trees), one CTest entry. Under Wine through the
# cross-compiling emulator. GUI tests run in a test slot of their own (an X
# display with its own Wine session, scripts/gui-slot.sh), one test per slot,
# so that focus and activation stay theirs while others run beside them.
function(brx_test name dir)
  cmake_parse_arguments(A "WINDOWS;GUI" "" "DEPS" ${ARGN})
  if(A_WINDOWS AND NOT WIN32)
    return()
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  # Libraries of folders that have no code yet are left out.
  set(deps)
  foreach(dep ${A_DEPS})
    if(TARGET ${dep})
      list(APPEND deps ${dep})
    endif()
  endforeach()
  if(WIN32)
    file(GLOB rcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.rc)
    list(APPEND srcs ${rcs})
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${deps} GTest::gmock GTest::gtest_main)
  brx_path_for_target(src_dir "${CMAKE_SOURCE_DIR}")
  brx_path_for_target(data_dir "${BRX_TESTDATA_DIR}")
  brx_path_for_target(bin_dir "${CMAKE_CURRENT_BINARY_DIR}")
  target_compile_definitions(${name} PRIVATE
    BRX_SOURCE_DIR="${src_dir}" BRX_TESTDATA_DIR="${data_dir}" BRX_TEST_OUTPUT_DIR="${bin_dir}")
  if(A_GUI)
    brx_gui_test(${name} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# brx_gui_test(NAME COMMAND...): a test that drives windows, run in a test
# slot: ctest hands out the slots as the resource "display" (the spec file
# scripts/wine-env.sh writes), scripts/gui-slot.sh sets the slot's display and
# Wine prefix and keeps one test per slot.
function(brx_gui_test name)
  add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/gui-slot.sh ${ARGN})
  set_tests_properties(${name} PROPERTIES LABELS gui RESOURCE_GROUPS display:1)
endfunction()

# A path as the built program sees it: Wine maps the Unix root to drive Z:.
function(brx_path_for_target out path)
  if(WIN32)
    set(${out} "Z:${path}" PARENT_SCOPE)
  else()
    set(${out} "${path}" PARENT_SCOPE)
  endif()
endfunction()

# brx_fuzzer(NAME SOURCE CORPUS dir [RUNS n] [DEPS targets...])
# A libFuzzer target (native sanitizer build only); the test command runs it
# over its seed corpus for a fixed number of inputs.
function(brx_fuzzer name source)
  cmake_parse_arguments(A "" "CORPUS;RUNS" "DEPS" ${ARGN})
  if(WIN32 OR NOT BRX_SANITIZE)
    return()
  endif()
  if(NOT A_RUNS)
    set(A_RUNS 20000)
  endif()
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  # New inputs go to a scratch corpus in the build tree, emptied for every run,
  # so that the run is repeatable and the seed corpus in the sources stays as is.
  set(scratch ${CMAKE_CURRENT_BINARY_DIR}/${name}.corpus)
  add_test(NAME ${name}
           COMMAND sh -c "rm -rf \"$1\" && mkdir -p \"$1\" && exec \"$2\" -runs=${A_RUNS} -seed=1 -max_len=65536 \"$1\" \"$3\""
                   sh ${scratch} $<TARGET_FILE:${name}> ${A_CORPUS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS fuzz)
endfunction()

# brx_benchmark(NAME SOURCE [DEPS targets...]): Google Benchmark, native only.
function(brx_benchmark name source)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  if(WIN32 OR NOT BRX_BENCH)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${A_DEPS} benchmark::benchmark)
  brx_path_for_target(data_dir "${BRX_TESTDATA_DIR}")
  target_compile_definitions(${name} PRIVATE BRX_TESTDATA_DIR="${data_dir}")
endfunction()
