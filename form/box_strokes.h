#ifndef TIMETABLE_FORM_BOX_STROKES_H_
#define TIMETABLE_FORM_BOX_STROKES_H_

// The strokes of a single-line box-drawing character, from the cell's centre to its edges.
struct BoxStrokes {
  bool up = false;
  bool down = false;
  bool left = false;
  bool right = false;
};

// The same for the Unicode character that code page 852 maps such a character to.
bool boxStrokesOfUnicode(char32_t character, BoxStrokes& strokes);

#endif  // TIMETABLE_FORM_BOX_STROKES_H_
