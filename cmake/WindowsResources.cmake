# The resources of the Windows programs, compiled by mingw's windres: a version resource from the
# project's version, and an application manifest (packaging/windows/timetable-print.manifest).
enable_language(RC)

function(add_windows_resources target description)
  set(TARGET_NAME ${target})
  set(TARGET_DESCRIPTION ${description})
  set(TARGET_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/timetable-print.manifest)
  set(resources ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${resources} @ONLY)
  # windres reads the manifest itself, so the build does not see that the resources need it.
  set_source_files_properties(${resources} PROPERTIES OBJECT_DEPENDS ${TARGET_MANIFEST})
  target_sources(${target} PRIVATE ${resources})
endfunction()
