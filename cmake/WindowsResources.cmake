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
