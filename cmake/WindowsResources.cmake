# The resources of the Windows programs, compiled by mingw's windres: a version resource from the
# project's version, the programs' icon, made from packaging/icon/timetable-print.svg by
# scripts/make-icon.sh, and an application manifest (packaging/windows/timetable-print.manifest).
enable_language(RC)

find_program(RSVG_CONVERT_PROGRAM rsvg-convert REQUIRED)
find_program(ICOTOOL_PROGRAM icotool REQUIRED)
set(WINDOWS_ICON ${CMAKE_CURRENT_BINARY_DIR}/generated/timetable-print.ico)
add_custom_command(OUTPUT ${WINDOWS_ICON}
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/make-icon.sh
          ${PROJECT_SOURCE_DIR}/packaging/icon/timetable-print.svg ${WINDOWS_ICON}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/icon/timetable-print.svg
          ${PROJECT_SOURCE_DIR}/scripts/make-icon.sh
  COMMENT "Drawing the icon ${WINDOWS_ICON}")
# One target makes the icon for both programs, so that two builds never write it at once.
add_custom_target(windows_icon DEPENDS ${WINDOWS_ICON})

# The description is given in English and in Polish.
function(add_windows_resources target description polish_description)
  set(TARGET_NAME ${target})
  set(TARGET_DESCRIPTION ${description})
  set(TARGET_DESCRIPTION_POLISH ${polish_description})
  set(TARGET_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/timetable-print.manifest)
  set(TARGET_ICON ${WINDOWS_ICON})
  set(resources ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${resources} @ONLY)
  # windres reads the manifest and the icon itself, so the build does not see that the resources
  # need them.
  set_source_files_properties(${resources} PROPERTIES OBJECT_DEPENDS
    "${TARGET_MANIFEST};${TARGET_ICON}")
  target_sources(${target} PRIVATE ${resources})
  add_dependencies(${target} windows_icon)
endfunction()

# The message table of the events the program writes to the Application log
# (packaging/windows/events.mc), compiled by mingw's windmc: Event Viewer shows an event's text
# from the exe that the event source's EventMessageFile names. One target writes it for every
# program that carries it.
find_program(WINDMC_PROGRAM NAMES x86_64-w64-mingw32-windmc windmc REQUIRED)
set(WINDOWS_EVENT_MESSAGES ${CMAKE_CURRENT_BINARY_DIR}/generated/events/events.rc)
add_custom_command(OUTPUT ${WINDOWS_EVENT_MESSAGES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated/events
  COMMAND ${WINDMC_PROGRAM} -h ${CMAKE_CURRENT_BINARY_DIR}/generated/events
          -r ${CMAKE_CURRENT_BINARY_DIR}/generated/events
          ${PROJECT_SOURCE_DIR}/packaging/windows/events.mc
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/windows/events.mc
  COMMENT "Compiling the event messages")
add_custom_target(windows_event_messages DEPENDS ${WINDOWS_EVENT_MESSAGES})
set_source_files_properties(${WINDOWS_EVENT_MESSAGES} PROPERTIES GENERATED TRUE)

function(add_event_messages target)
  target_sources(${target} PRIVATE ${WINDOWS_EVENT_MESSAGES})
  add_dependencies(${target} windows_event_messages)
endfunction()
