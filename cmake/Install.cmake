# Where `cmake --install` puts the programs on Linux, and the Debian package CPack makes of the
# same files (scripts/package-debian.sh):
#   bin/        timetable-print, timetable-preview
#   share/man/man1/  their manual pages, compressed; share/man/pl/man1/ the Polish one
#   share/doc/timetable-print/  README, copyright, changelog.gz
#   share/doc/timetable-print/examples/timetable-print.conf  every setting, commented
#   etc/timetable-print.conf.d/ the folder of a site's drop-in settings files, empty
#   share/applications/timetable-print.desktop  the desktop's launcher, in a terminal
#   share/icons/hicolor/scalable/apps/timetable-print.svg  its icon
include(GNUInstallDirs)

set(debian_dir ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian)
set(package_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/timetable-print)

install(TARGETS timetable-print timetable-preview RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Debian wants manual pages and changelogs compressed with gzip -9, and without the file's time
# (-n), so that the same sources make the same package. The pages carry the project's version.
find_program(GZIP_PROGRAM gzip)
if(NOT GZIP_PROGRAM)
  message(FATAL_ERROR "gzip is missing: the manual pages are installed compressed")
endif()
set(compressed_files)
function(add_compressed_file input output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${GZIP_PROGRAM} -9n -c ${input} > ${output}
    DEPENDS ${input}
    COMMENT "Compressing ${output}")
  list(APPEND compressed_files ${output})
  set(compressed_files ${compressed_files} PARENT_SCOPE)
endfunction()

set(man_dir ${CMAKE_CURRENT_BINARY_DIR}/man)
foreach(program IN ITEMS timetable-print timetable-preview)
  configure_file(${debian_dir}/${program}.1.in ${man_dir}/${program}.1 @ONLY)
  add_compressed_file(${man_dir}/${program}.1 ${man_dir}/${program}.1.gz)
  install(FILES ${man_dir}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# The Polish page of timetable-print, for man's Polish locales (man -L pl).
configure_file(${debian_dir}/timetable-print.pl.1.in ${man_dir}/pl/timetable-print.1 @ONLY)
add_compressed_file(${man_dir}/pl/timetable-print.1 ${man_dir}/pl/timetable-print.1.gz)
install(FILES ${man_dir}/pl/timetable-print.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/pl/man1)
add_compressed_file(${debian_dir}/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_target(compressed_files ALL DEPENDS ${compressed_files})

install(FILES ${debian_dir}/README ${debian_dir}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  DESTINATION ${package_doc_dir})
# The settings, every one commented, as an example to copy: the package ships no file in /etc
# that a site edits, so that no upgrade ever stops at dpkg's question about a changed conffile.
# /etc/timetable-print.conf is still read where a site has one (an earlier package's, kept by
# dpkg as it was).
install(FILES ${debian_dir}/timetable-print.conf DESTINATION ${package_doc_dir}/examples)

# The launcher in the desktop's menu, as Windows has its Start-menu entry: the form, in a
# terminal, which the dialogue needs; English and Polish names. Its icon is the programs' own.
install(FILES ${debian_dir}/timetable-print.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/icon/timetable-print.svg
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)

# PREFIX/etc, so that an install into a folder of one's own (cmake --install --prefix) never
# writes the machine's /etc; the package's build sets CMAKE_INSTALL_SYSCONFDIR to /etc, where
# the program reads it. Drop-in settings files: a site or a configuration management tool adds a
# file of its own there, such as site.conf.
install(DIRECTORY DESTINATION ${CMAKE_INSTALL_SYSCONFDIR}/timetable-print.conf.d)

# The service and timer of --prefetch, which fetch the machine's copies of timetables every hour.
# Shipped disabled: a site that wants them runs systemctl enable --now
# timetable-print-prefetch.timer. Debian 12 keeps a package's units under /lib.
install(FILES ${debian_dir}/timetable-print-prefetch.service
  ${debian_dir}/timetable-print-prefetch.timer DESTINATION /lib/systemd/system)

# The Debian package, made from a build configured with the prefix /usr and the settings folder
# /etc; CPack's DEB generator installs through DESTDIR, which takes the absolute /etc as well.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME timetable-print)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT
  "timetable-print maintainers <maintainers@users.noreply.c-seed-4e42b130.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "prints a train driver's timetable form on a dot-matrix printer")
set(CPACK_PACKAGE_DESCRIPTION
  "timetable-print asks for a train number, fetches the train's timetable from the
timetable web service (HTTPS, JSON), asks for the locomotives and the maximum
speed, and prints the ruled timetable form on a dot-matrix printer (code page
852, ESC/P), through a device, a raw CUPS queue, or drawn as PDF pages on any
other printer. timetable-preview shows a captured printer stream on the
terminal or as PDF, PNG or SVG.")
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without cacert.pem or a ca-file setting the service's certificate is checked against the
# system's authorities; --view opens the form with xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ca-certificates)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
