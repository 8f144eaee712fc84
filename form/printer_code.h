#ifndef TIMETABLE_FORM_PRINTER_CODE_H_
#define TIMETABLE_FORM_PRINTER_CODE_H_

#include <string>

// Code page 852 box-drawing characters.
const wchar_t kVertical = 0xB3;
const wchar_t kHorizontal = 0xC4;
const wchar_t kTopLeft = 0xDA;
const wchar_t kTopRight = 0xBF;
const wchar_t kBottomLeft = 0xC0;
const wchar_t kBottomRight = 0xD9;
const wchar_t kTeeDown = 0xC2;
const wchar_t kTeeUp = 0xC1;
const wchar_t kTeeRight = 0xC3;
const wchar_t kTeeLeft = 0xB4;
const wchar_t kCross = 0xC5;

// ESC/P control sequences; they take no column on the paper. The commands after ESC are named
// once, for the form that writes them and the renderer that reads them.
const wchar_t kEscape = 0x1B;
const wchar_t kBoldOnCommand = L'E';
const wchar_t kBoldOffCommand = L'F';
const wchar_t kDoubleHeightCommand = L'w';  // Then '1' on, '0' off.
const wchar_t kScriptCommand = L'S';        // Then '1' subscript, '0' superscript.
const wchar_t kScriptOffCommand = L'T';
const wchar_t kBoldOn[] = {kEscape, kBoldOnCommand, 0};
const wchar_t kBoldOff[] = {kEscape, kBoldOffCommand, 0};
const wchar_t kDoubleHeightOn[] = {kEscape, kDoubleHeightCommand, L'1', 0};
const wchar_t kDoubleHeightOff[] = {kEscape, kDoubleHeightCommand, L'0', 0};
const wchar_t kSubscriptOn[] = {kEscape, kScriptCommand, L'1', 0};
const wchar_t kScriptOff[] = {kEscape, kScriptOffCommand, 0};
const wchar_t kFormFeed = 0x0C;

// count copies of character.
inline std::wstring repeated(wchar_t character, int count) {
  return std::wstring(static_cast<size_t>(count), character);
}

inline std::wstring blanks(int count) { return repeated(L' ', count); }

#endif  // TIMETABLE_FORM_PRINTER_CODE_H_
