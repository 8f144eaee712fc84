# On Linux, the renderer (cairo) and the spooler (CUPS) are modules of timetable-print's own,
# which it opens only for a run that draws a form or asks the spooler: a run to a device or a
# file of printer bytes maps none of the some 30 libraries they bring. Built beside the program,
# where it finds them in the build tree; installed in the program's own library folder:
#   lib/TRIPLET/timetable-print/timetable-render.so, timetable-spooler.so
# The modules take the platform, the form and the rest of the program from the program itself,
# which therefore holds every part of those libraries and shows them to the modules.
set(TIMETABLE_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/timetable-print)
file(RELATIVE_PATH module_folder ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${TIMETABLE_MODULE_DIR})
set_property(SOURCE platform/program_module_posix.cpp TARGET_DIRECTORY timetable_platform
  APPEND PROPERTY COMPILE_DEFINITIONS TIMETABLE_MODULE_FOLDER="${module_folder}/")

target_sources(timetable-print PRIVATE preview/renderer_loader_posix.cpp
  printer/spooler_loader_posix.cpp)
set_target_properties(timetable-print PROPERTIES ENABLE_EXPORTS ON)
foreach(library IN ITEMS timetable_printer timetable_render timetable_form timetable_platform)
  set_property(TARGET timetable-print PROPERTY LINK_LIBRARY_OVERRIDE_${library} WHOLE_ARCHIVE)
endforeach()

function(add_program_module name entry objects)
  add_library(${name} MODULE ${entry} $<TARGET_OBJECTS:${objects}>)
  set_target_properties(${name} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE timetable_warnings)
  add_dependencies(timetable-print ${name})
  # Read, never run: 0644, as Debian wants its shared objects.
  install(TARGETS ${name} LIBRARY DESTINATION ${TIMETABLE_MODULE_DIR}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()
add_program_module(timetable-render preview/renderer_module_posix.cpp timetable_drawing)
target_link_libraries(timetable-render PRIVATE PkgConfig::CAIRO PkgConfig::FREETYPE)
add_program_module(timetable-spooler printer/spooler_module_posix.cpp timetable_spooler)
target_link_libraries(timetable-spooler PRIVATE Cups::Cups)
