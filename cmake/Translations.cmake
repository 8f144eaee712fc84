# Each po/LANGUAGE.po becomes share/locale/LANGUAGE/LC_MESSAGES/timetable-print.mo in the build
# tree, beside the programs, where they look for it first; installed, it goes where a program in
# bin/ finds it, ../share/locale.
find_program(MSGFMT_EXECUTABLE msgfmt REQUIRED)
set(TIMETABLE_LANGUAGES pl)
set(catalogues)
foreach(language ${TIMETABLE_LANGUAGES})
  set(po ${CMAKE_CURRENT_SOURCE_DIR}/po/${language}.po)
  set(folder ${CMAKE_BINARY_DIR}/share/locale/${language}/LC_MESSAGES)
  set(mo ${folder}/timetable-print.mo)
  add_custom_command(OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${MSGFMT_EXECUTABLE} --check -o ${mo} ${po}
    DEPENDS ${po}
    COMMENT "Building the ${language} message catalogue")
  install(FILES ${mo} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
  list(APPEND catalogues ${mo})
endforeach()
add_custom_target(translations ALL DEPENDS ${catalogues})
