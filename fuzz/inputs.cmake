# Every fuzz target as an ordinary program of the suite's build (fuzz_input_NAME,
# with fuzz/inputs_main.cpp for a main), and the test fuzz_inputs, which runs
# each over its seeds (fuzz/run-inputs.sh). The targets then build with the
# game's own compiler and flags, sanitizers included when the suite has them,
# and their checks hold on every run of the suite.
include(${CMAKE_SOURCE_DIR}/fuzz/targets.cmake)

add_library(fuzz_input_support STATIC ${CMAKE_SOURCE_DIR}/fuzz/fuzz_support.cpp
            ${CMAKE_SOURCE_DIR}/fuzz/script_frames.cpp ${CMAKE_SOURCE_DIR}/fuzz/inputs_main.cpp)
target_compile_options(fuzz_input_support PRIVATE ${VORTALIS_WARNINGS})
target_link_libraries(fuzz_input_support PUBLIC game)

foreach(name ${VORTALIS_FUZZ_TARGETS})
  add_executable(fuzz_input_${name} ${CMAKE_SOURCE_DIR}/fuzz/${name}_fuzz.cpp)
  target_compile_options(fuzz_input_${name} PRIVATE ${VORTALIS_WARNINGS})
  target_link_libraries(fuzz_input_${name} PRIVATE fuzz_input_support)
  list(APPEND FUZZ_INPUT_PROGRAMS fuzz_input_${name})
endforeach()

add_executable(fuzz_input_make_seeds ${CMAKE_SOURCE_DIR}/fuzz/make_seeds.cpp)
target_include_directories(fuzz_input_make_seeds PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(fuzz_input_make_seeds PRIVATE VORTALIS_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(fuzz_input_make_seeds PRIVATE PkgConfig::VORBISENC ${MP3LAME_LIBRARY} PkgConfig::PNG JPEG::JPEG)

add_custom_target(fuzz_inputs_programs ALL DEPENDS ${FUZZ_INPUT_PROGRAMS} fuzz_input_make_seeds)
if(TARGET dat)
  add_dependencies(fuzz_inputs_programs dat)
endif()
add_test(NAME fuzz_inputs COMMAND bash ${CMAKE_SOURCE_DIR}/fuzz/run-inputs.sh
         ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_BINARY_DIR}/dat ${VORTALIS_FUZZ_TARGETS})
set_tests_properties(fuzz_inputs PROPERTIES TIMEOUT ${VORTALIS_TEST_TIMEOUT})
