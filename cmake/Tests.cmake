set(TIMETABLE_GTEST_SOURCE_DIR "" CACHE PATH "GoogleTest's sources, built here instead of its package")
if(TIMETABLE_GTEST_SOURCE_DIR)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${TIMETABLE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(GTest::gtest_main ALIAS gtest_main)
else()
  find_package(GTest REQUIRED)
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
include(GoogleTest)

set(TEST_ENVIRONMENT)
if(TIMETABLE_SANITIZE)
  set(TEST_ENVIRONMENT
    "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/cmake/lsan-suppressions.txt:print_suppressions=0")
endif()

add_executable(unit_tests
  driver/command_line_test.cpp
  driver/connection_check_test.cpp
  driver/copy_choice_test.cpp
  driver/destination_setting_test.cpp
  driver/exit_status_test.cpp
  driver/invocation_plan_test.cpp
  driver/form_builder_test.cpp
  driver/offline_setting_test.cpp
  driver/prefetch_test.cpp
  driver/request_failure_text_test.cpp
  driver/run_event_test.cpp
  driver/timetable_copy_test.cpp
  form/code_page_test.cpp
  form/form_text_test.cpp
  form/stop_block_test.cpp
  form/stop_cells_test.cpp
  platform/console_test.cpp
  platform/messages_test.cpp
  platform/support_log_test.cpp
  platform/settings_store_test.cpp
  platform/system_log_test.cpp
  platform/translation_test.cpp
  platform/utf8_test.cpp
  printer/destination_test.cpp
  printer/printer_stream_test.cpp
  printer/spooler_common_test.cpp
  service/connection_probe_test.cpp
  service/failure_classification_test.cpp
  json/json_quote_test.cpp
  service/no_proxy_test.cpp
  service/online_lookup_test.cpp
  service/proxy_choice_test.cpp
  service/proxy_url_test.cpp
  service/request_failure_test.cpp
  service/request_retry_test.cpp
  service/service_message_test.cpp
  service/service_settings_test.cpp
  timetable/service_time_test.cpp
  timetable/stop_table_test.cpp
)
# The run's event names the version.
target_compile_definitions(unit_tests PRIVATE TIMETABLE_VERSION="${PROJECT_VERSION}")
# The tests of the requests and of the drawing read libcurl's and cairo's headers themselves.
target_link_libraries(unit_tests PRIVATE timetable_driver timetable_drawing timetable_spooler
  timetable_warnings GTest::gtest_main CURL::libcurl PkgConfig::CAIRO)
if(NOT WIN32)
  # Our own UTF-8 decoder, the C library's CP852 converter, and the printer and files as paths in
  # the working directory; a local socket that never answers.
  target_sources(unit_tests PRIVATE form/code_page_iconv_test.cpp platform/utf8_posix_test.cpp
    platform/file_system_posix_test.cpp platform/output_file_posix_test.cpp
    platform/trusted_file_posix_test.cpp platform/console_posix_test.cpp driver/kept_forms_test.cpp
    driver/destination_setting_posix_test.cpp
    driver/copy_store_test.cpp platform/machine_folder_posix_test.cpp
    printer/printer_stream_posix_test.cpp printer/spooler_requests_posix_test.cpp
    platform/xdg_base_posix_test.cpp service/request_session_posix_test.cpp
    platform/program_module_posix_test.cpp)
endif()
if(WIN32)
  # Drive-relative paths, the console's interrupt, the spooler's status bits, the machine's
  # files' security, and the events' messages, whose table the tests carry as the program does.
  target_sources(unit_tests PRIVATE platform/file_system_win32_test.cpp
    platform/interrupt_win32_test.cpp printer/printer_stream_win32_test.cpp
    printer/spooler_win32_test.cpp platform/trusted_file_win32_test.cpp
    driver/run_event_win32_test.cpp)
  add_event_messages(unit_tests)
endif()
target_sources(unit_tests PRIVATE preview/printed_page_test.cpp preview/rendering_test.cpp
  preview/rendering_test_support.cpp preview/sheet_drawing_test.cpp)
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME preview.cli
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/preview/preview_test.py
            $<TARGET_FILE:timetable-preview>)
  set_tests_properties(preview.cli PROPERTIES ENVIRONMENT "${TEST_ENVIRONMENT}")
endif()
if(WIN32)
  # Text to the console as characters, to a pipe as bytes. The console case needs a console;
  # under an emulator, a terminal that `script` opens for it gives one.
  add_executable(console_win32_test platform/console_win32_test.cpp)
  target_link_libraries(console_win32_test PRIVATE timetable_platform timetable_warnings
    GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(SCRIPT_EXECUTABLE script REQUIRED)
    list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " emulator)
    add_test(NAME console_win32 COMMAND ${SCRIPT_EXECUTABLE} --quiet --return
      --command "${emulator} $<TARGET_FILE:console_win32_test>" /dev/null)
  else()
    add_test(NAME console_win32 COMMAND console_win32_test)
  endif()
endif()
if(CMAKE_CROSSCOMPILING)
  # Under an emulator one run of the whole suite is much quicker than one run per test.
  add_test(NAME unit_tests COMMAND unit_tests)
else()
  gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${TEST_ENVIRONMENT}")
endif()

# The layer check's own test: the spellings of an include and the links it must refuse. The
# test command runs the check itself on the tree, with the release build's flags.
if(NOT CMAKE_CROSSCOMPILING AND NOT TIMETABLE_SANITIZE)
  add_test(NAME layers.check COMMAND ${Python3_EXECUTABLE}
    ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_layers_test.py)
endif()

# The end-to-end tests run the real program against the local timetable service on port 9640,
# so they take a lock on the port and never run beside each other.
set(E2E_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/driver/e2e_test.py)
set(E2E_RUNNER)
if(CMAKE_CROSSCOMPILING_EMULATOR)
  set(E2E_RUNNER --runner ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()
# The forms the program renders with -o are compared with what a timetable-preview renders from
# the same bytes: this build's own, or for a cross build the host's, so that the two platforms
# are held to the same pixels.
set(TIMETABLE_REFERENCE_PREVIEW "" CACHE FILEPATH
  "A timetable-preview that runs here, for the comparison of rendered forms")
set(E2E_PREVIEW)
if(TIMETABLE_REFERENCE_PREVIEW)
  set(E2E_PREVIEW --preview ${TIMETABLE_REFERENCE_PREVIEW})
elseif(NOT CMAKE_CROSSCOMPILING)
  set(E2E_PREVIEW --preview $<TARGET_FILE:timetable-preview>)
endif()
foreach(group Dialogue Faults Retries Printing CommandLine Output Spooler Language Settings Log
    Proxy ProxyFaults ProxySignIn Check Destination Reprint Events Offline WindowsSettings
    WindowsProxy WindowsProxySignIn)
  add_test(NAME e2e.${group}
    COMMAND ${Python3_EXECUTABLE} ${E2E_SCRIPT} ${E2E_RUNNER}
            --program $<TARGET_FILE:timetable-print> ${E2E_PREVIEW} ${group})
  set_tests_properties(e2e.${group} PROPERTIES RESOURCE_LOCK port9640 TIMEOUT 300)
endforeach()

# The release zip of the Windows build, made by scripts/package-windows.sh before the tests run.
set(TIMETABLE_PACKAGE_ZIP "" CACHE FILEPATH "The Windows release zip to check")
if(TIMETABLE_PACKAGE_ZIP)
  add_test(NAME e2e.WindowsPackage
    COMMAND ${Python3_EXECUTABLE} ${E2E_SCRIPT} ${E2E_RUNNER}
            --program $<TARGET_FILE:timetable-print> --package ${TIMETABLE_PACKAGE_ZIP}
            WindowsPackage)
  set_tests_properties(e2e.WindowsPackage PROPERTIES RESOURCE_LOCK port9640 TIMEOUT 300)
  # The installer lies beside the zip, named with the project's version. Its test makes a wine
  # prefix of its own.
  get_filename_component(package_folder ${TIMETABLE_PACKAGE_ZIP} DIRECTORY)
  add_test(NAME e2e.WindowsInstaller
    COMMAND ${Python3_EXECUTABLE} ${E2E_SCRIPT} ${E2E_RUNNER}
            --program $<TARGET_FILE:timetable-print> --package ${TIMETABLE_PACKAGE_ZIP}
            --installer ${package_folder}/timetable-print-${PROJECT_VERSION}-win64.msi
            WindowsInstaller)
  set_tests_properties(e2e.WindowsInstaller PROPERTIES RESOURCE_LOCK port9640 TIMEOUT 600)
  # Packs this build's programs again, signed with a certificate made for the test.
  add_test(NAME package.WindowsSigning
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/signing_test.py
            ${CMAKE_BINARY_DIR})
  set_tests_properties(package.WindowsSigning PROPERTIES TIMEOUT 300)
endif()
if(NOT CMAKE_CROSSCOMPILING)
  # The Group Policy templates the Windows zip and installer carry.
  add_test(NAME package.PolicyTemplates
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/policies_test.py)
  # The installer's tables, built from stand-in files: hidden and secure properties, the
  # destination, the shortcuts.
  add_test(NAME package.InstallerTables
    COMMAND ${Python3_EXECUTABLE}
            ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/installer_tables_test.py)
endif()

find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(print_job_benchmark driver/print_job_benchmark.cpp)
  target_link_libraries(print_job_benchmark PRIVATE timetable_driver timetable_drawing
    timetable_spooler timetable_warnings benchmark::benchmark)
endif()
