#ifndef TIMETABLE_PREVIEW_PRINTER_FONT_H_
#define TIMETABLE_PREVIEW_PRINTER_FONT_H_

#include <cairo.h>

// The printer's typeface, DejaVu Sans Mono from the fonts built into the program, regular or
// bold. Made the first time it is asked for and kept for the rest of the process; ask only while
// a cairo surface exists (a static cairo on Windows sets up its locks with the first surface).
cairo_font_face_t* printerFontFace(bool bold);

// Sets font options on cr that leave nothing to the machine's font configuration: grey
// antialiasing, no hinting, unhinted metrics, so that every machine gives the same pixels.
void setPrinterFontOptions(cairo_t* cr);

// Throws the error of a cairo call that failed, as std::runtime_error naming cairo's status;
// returns for CAIRO_STATUS_SUCCESS. Every drawing of the form reports cairo's failures with it.
void checkCairo(cairo_status_t status);

#endif  // TIMETABLE_PREVIEW_PRINTER_FONT_H_
