# The renderer: printer bytes drawn as the printer prints them, as PDF, PNG or SVG with cairo, in
# DejaVu Sans Mono built into the program and loaded through FreeType, so that every machine draws
# the same glyphs. It needs no more of the program than the code page table and the platform.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
if(WIN32)
  # The Windows build links static libraries, so everything pkg-config --static names.
  set_property(TARGET PkgConfig::CAIRO PROPERTY INTERFACE_LINK_LIBRARIES ${CAIRO_STATIC_LDFLAGS})
  set_property(TARGET PkgConfig::FREETYPE PROPERTY
    INTERFACE_LINK_LIBRARIES ${FREETYPE_STATIC_LDFLAGS})
endif()

set(TIMETABLE_FONT_DIR /usr/share/fonts/truetype/dejavu CACHE PATH
  "Folder holding DejaVuSansMono.ttf and DejaVuSansMono-Bold.ttf (Debian's fonts-dejavu-core)")
set(embedded_fonts)
foreach(font IN ITEMS DejaVuSansMono DejaVuSansMono-Bold)
  set(font_file ${TIMETABLE_FONT_DIR}/${font}.ttf)
  if(NOT EXISTS ${font_file})
    message(FATAL_ERROR "${font_file} is missing: install fonts-dejavu-core or set TIMETABLE_FONT_DIR")
  endif()
  string(REPLACE "-" "" name k${font})
  set(source ${CMAKE_CURRENT_BINARY_DIR}/generated/${font}.cpp)
  add_custom_command(OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${font_file} -DOUTPUT=${source} -DNAME=${name}
            -DHEADER=preview/embedded_fonts.h -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${font_file} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding ${font}.ttf")
  list(APPEND embedded_fonts ${source})
endforeach()

add_folder_library(timetable_render
  preview/printed_page.cpp
  preview/rendered_format.cpp
  preview/sheet_layout.cpp
  preview/terminal_text.cpp
)
target_link_libraries(timetable_render PUBLIC timetable_form timetable_platform)

# The drawing itself, the part that needs cairo and FreeType. Its objects are built once for the
# programs that link them and for the renderer module, which timetable-print opens on Linux only
# when a run draws: position independent, and hidden but for what the module hands out.
add_library(timetable_drawing OBJECT
  preview/printer_font.cpp
  preview/rendering.cpp
  preview/sheet_drawing.cpp
  ${embedded_fonts}
)
if(NOT WIN32)
  set_target_properties(timetable_drawing PROPERTIES POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endif()
target_include_directories(timetable_drawing PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(timetable_drawing PUBLIC timetable_render timetable_form timetable_platform
  PkgConfig::CAIRO PkgConfig::FREETYPE PRIVATE timetable_warnings)
