#ifndef TIMETABLE_FORM_BOX_STROKES_TEST_SUPPORT_H_
#define TIMETABLE_FORM_BOX_STROKES_TEST_SUPPORT_H_

// For the tests: the strokes of a character as the printer gets it.
#include "form/box_strokes.h"

// The strokes of a code page 852 box-drawing character in printer code; false, with no strokes,
// for any other character.
bool boxStrokesOf(wchar_t printerCode, BoxStrokes& strokes);

#endif  // TIMETABLE_FORM_BOX_STROKES_TEST_SUPPORT_H_
