# libFuzzer targets, built with clang: -DTIMETABLE_FUZZ=ON. Each ctest runs one target for
# TIMETABLE_FUZZ_SECONDS, starting from the seed corpus kept beside it.
set(TIMETABLE_FUZZ_SECONDS 30 CACHE STRING "How long each fuzz test runs")

# Links the target NAME_fuzz as a fuzzer and runs it from the seeds in FOLDER/fuzz_corpus.
function(add_fuzz_test name folder)
  target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/corpus/${name})
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME fuzz.${name}
    COMMAND ${name}_fuzz -max_total_time=${TIMETABLE_FUZZ_SECONDS} -print_final_stats=1
            -timeout=10 -rss_limit_mb=4096 ${corpus} ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/fuzz_corpus)
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 600)
endfunction()

foreach(target IN ITEMS driver/print_job service/online_lookup form/code_page)
  get_filename_component(name ${target} NAME)
  get_filename_component(folder ${target} DIRECTORY)
  add_executable(${name}_fuzz ${target}_fuzz.cpp)
  target_link_libraries(${name}_fuzz PRIVATE timetable_driver timetable_drawing timetable_spooler
    timetable_warnings)
  add_fuzz_test(${name} ${folder})
endforeach()

# The printer-byte interpreter is the part of the renderer that needs no cairo.
add_executable(printed_page_fuzz preview/printed_page_fuzz.cpp preview/printed_page.cpp
  preview/terminal_text.cpp)
target_link_libraries(printed_page_fuzz PRIVATE timetable_form timetable_platform
  timetable_warnings)
add_fuzz_test(printed_page preview)
