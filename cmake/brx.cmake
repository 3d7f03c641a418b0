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
    if(A_WINDOWS AND TARGET brx_pch_win)
      target_precompile_headers(${name} REUSE_FROM brx_pch_win)
    endif()
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
  brx_test_definitions(${name} "${CMAKE_CURRENT_BINARY_DIR}")
  if(A_WINDOWS AND TARGET brx_pch_test_win)
    target_precompile_headers(${name} REUSE_FROM brx_pch_test_win)
  endif()
  if(A_GUI)
    brx_gui_test(${name} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# brx_unity(TARGET...): the named test binaries compile as unity builds
# (BRX_UNITY_BATCH sources per translation unit), which spares most of the
# parsing of GoogleTest and the Windows headers. Sources of one binary then
# share a translation unit: helpers in anonymous namespaces must have names of
# their own across the binary's files. A file that cannot share one stays out
# with set_source_files_properties(FILE PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON);
# -DBRX_UNITY=OFF turns unity builds off altogether.
function(brx_unity)
  if(NOT BRX_UNITY)
    return()
  endif()
  foreach(t ${ARGN})
    if(TARGET ${t})
      set_target_properties(${t} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${BRX_UNITY_BATCH})
    endif()
  endforeach()
endfunction()

# The paths a test binary knows (its output folder is BIN_DIR).
function(brx_test_definitions name bin_dir)
  brx_path_for_target(src_dir "${CMAKE_SOURCE_DIR}")
  brx_path_for_target(data_dir "${BRX_TESTDATA_DIR}")
  brx_path_for_target(out_dir "${bin_dir}")
  target_compile_definitions(${name} PRIVATE
    BRX_SOURCE_DIR="${src_dir}" BRX_TESTDATA_DIR="${data_dir}" BRX_TEST_OUTPUT_DIR="${out_dir}")
endfunction()

# brx_precompiled_headers(): in Windows trees (BRX_PCH), one precompiled header
# of the system headers (cmake/pch_win.h) that every Windows library reuses, and
# one with GoogleTest besides (cmake/pch_test_win.h) for the Windows test
# binaries. Both build with the flags of the targets that reuse them (gcc checks
# and says so with -Winvalid-pch); a file still includes what it uses, and
# -DBRX_PCH=OFF builds without them.
function(brx_precompiled_headers)
  if(NOT WIN32 OR NOT BRX_PCH)
    return()
  endif()
  add_library(brx_pch_win STATIC EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/cmake/pch_anchor.cpp)
  target_precompile_headers(brx_pch_win PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch_win.h)
  if(BRX_TESTS)
    add_library(brx_pch_test_win STATIC EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/cmake/pch_anchor.cpp)
    target_link_libraries(brx_pch_test_win PRIVATE GTest::gmock GTest::gtest)
    brx_test_definitions(brx_pch_test_win "${CMAKE_BINARY_DIR}/tests")
    target_precompile_headers(brx_pch_test_win PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch_test_win.h)
  endif()
endfunction()

# brx_gui_test(NAME COMMAND...): a test that drives windows, run in a test
# slot: ctest hands out the slots as the resource "display" (the slot list
# scripts/wine-env.sh writes for ctest), scripts/gui-slot.sh sets the slot's display and
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
