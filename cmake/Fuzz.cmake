# libFuzzer targets, built with clang: -DTIMETABLE_FUZZ=ON. Each ctest runs one target for
# TIMETABLE_FUZZ_SECONDS, starting from the seed corpus kept beside it.
set(TIMETABLE_FUZZ_SECONDS 30 CACHE STRING "How long each fuzz test runs")

foreach(target IN ITEMS timetable/stop_table service/online_lookup form/code_page)
  get_filename_component(name ${target} NAME)
  get_filename_component(folder ${target} DIRECTORY)
  add_executable(${name}_fuzz ${target}_fuzz.cpp)
  target_link_libraries(${name}_fuzz PRIVATE timetable_core timetable_warnings)
  target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/corpus/${name})
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME fuzz.${name}
    COMMAND ${name}_fuzz -max_total_time=${TIMETABLE_FUZZ_SECONDS} -print_final_stats=1
            -timeout=10 -rss_limit_mb=4096 ${corpus} ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/fuzz_corpus)
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 600)
endforeach()
