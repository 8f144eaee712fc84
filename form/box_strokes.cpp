#include "form/box_strokes.h"

#include "form/code_page.h"
#include "form/printer_code.h"

namespace {

struct BoxCharacter {
  wchar_t printerCode;
  BoxStrokes strokes;
};

// up, down, left, right
const BoxCharacter kBoxCharacters[] = {
    {kHorizontal, {false, false, true, true}}, {kVertical, {true, true, false, false}},
    {kTopLeft, {false, true, false, true}},    {kTopRight, {false, true, true, false}},
    {kBottomLeft, {true, false, false, true}}, {kBottomRight, {true, false, true, false}},
    {kTeeRight, {true, true, false, true}},    {kTeeLeft, {true, true, true, false}},
    {kTeeDown, {false, true, true, true}},     {kTeeUp, {true, false, true, true}},
    {kCross, {true, true, true, true}},
};

char32_t unicodeOf(wchar_t printerCode) {
  return kCodePage852High[static_cast<unsigned>(printerCode) - 0x80];
}

}  // namespace

bool boxStrokesOfUnicode(char32_t character, BoxStrokes& strokes) {
  for (const BoxCharacter& box : kBoxCharacters) {
    if (unicodeOf(box.printerCode) == character) {
      strokes = box.strokes;
      return true;
    }
  }
  strokes = BoxStrokes();
  return false;
}
