#ifndef TIMETABLE_FORM_BOX_STROKES_TEST_SUPPORT_H_
#define TIMETABLE_FORM_BOX_STROKES_TEST_SUPPORT_H_

// For the tests: the strokes of a character as the printer gets it.
#include "form/box_strokes.h"
#include "form/code_page.h"

// The strokes of a code page 852 box-drawing character in printer code; false, with no strokes,
// for any other character.
inline bool boxStrokesOf(wchar_t printerCode, BoxStrokes& strokes) {
  const auto code = static_cast<unsigned>(printerCode);
  if (code >= 0x80 && code <= 0xFF)
    return boxStrokesOfUnicode(kCodePage852High[code - 0x80], strokes);
  strokes = BoxStrokes();
  return false;
}

#endif  // TIMETABLE_FORM_BOX_STROKES_TEST_SUPPORT_H_
