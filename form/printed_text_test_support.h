#ifndef TIMETABLE_FORM_PRINTED_TEXT_TEST_SUPPORT_H_
#define TIMETABLE_FORM_PRINTED_TEXT_TEST_SUPPORT_H_

#include <string>
#include <vector>

#include "form/box_strokes.h"
#include "form/box_strokes_test_support.h"

// What the printer puts on paper for a text in printer code: the text without its ESC/P control
// sequences (ESC E, ESC F, ESC T, ESC w n, ESC S n), split into lines at each line feed.
inline std::vector<std::wstring> printedLines(const std::wstring& text) {
  std::vector<std::wstring> lines(1);
  for (size_t at = 0; at < text.size(); ++at) {
    wchar_t c = text[at];
    if (c == 0x1B) {
      wchar_t command = at + 1 < text.size() ? text[at + 1] : 0;
      at += (command == L'w' || command == L'S') ? 2 : 1;
    } else if (c == L'\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// The strokes of a cell's character, none for a character that is not a rule.
inline BoxStrokes strokesOf(wchar_t c) {
  BoxStrokes strokes;
  boxStrokesOf(c, strokes);
  return strokes;
}

// The first place where a stroke of a rule leads nowhere, as "line L column C", or empty when
// every rule of the printed lines is joined.
inline std::string firstOpenRule(const std::vector<std::wstring>& lines) {
  auto at = [&](size_t line, size_t column) -> wchar_t {
    return line < lines.size() && column < lines[line].size() ? lines[line][column] : L' ';
  };
  for (size_t line = 0; line < lines.size(); ++line) {
    for (size_t column = 0; column < lines[line].size() + 1; ++column) {
      const BoxStrokes here = strokesOf(at(line, column));
      const bool horizontalBreak = here.right != strokesOf(at(line, column + 1)).left;
      const bool verticalBreak = here.down != strokesOf(at(line + 1, column)).up;
      if (horizontalBreak || verticalBreak) {
        return "line " + std::to_string(line) + " column " + std::to_string(column);
      }
    }
  }
  return std::string();
}

#endif  // TIMETABLE_FORM_PRINTED_TEXT_TEST_SUPPORT_H_
