#include "form/form_text.h"

#include "form/printer_code.h"

namespace {

const wchar_t kV = kVertical;
const wchar_t kH = kHorizontal;

// The two narrow fields, "Stacja" and "Godzina", blank on every head line but the fourth.
std::wstring blankLeftFields() {
  return kV + blanks(2) + kV + blanks(2) + kV + blanks(32) + kV + blanks(19);
}

std::wstring doubleHeight(const std::wstring& text) {
  return kDoubleHeightOn + text + kDoubleHeightOff;
}

// "V" with a subscript "P".
std::wstring vpHeading() { return std::wstring(L"V") + kSubscriptOn + L"P" + kScriptOff; }

std::wstring buildFormHead() {
  std::wstring head;
  head += kTopLeft + repeated(kH, 2) + kTeeDown + repeated(kH, 2) + kTeeDown + repeated(kH, 32) +
          kTeeDown + repeated(kH, 19) + kTeeDown + repeated(kH, 6) + kTeeDown + repeated(kH, 8) +
          kTeeDown + repeated(kH, 8) + kTopRight + L'\n';
  head += blankLeftFields() + kV + L" LOK1 " + kV + blanks(8) + kV + blanks(8) + kV + L'\n';
  head += blankLeftFields() + kTeeRight + repeated(kH, 6) + kTeeLeft + L" Brutto " + kV +
          L"  Vmax  " + kV + L'\n';
  head += kV + vpHeading() + kV + vpHeading() + kV + blanks(13) + doubleHeight(L"Stacja") +
          blanks(13) + kV + blanks(6) + doubleHeight(L"Godzina") + blanks(6) + kV + L" LOK2 " +
          kTeeRight + repeated(kH, 8) + kCross + repeated(kH, 8) + kTeeLeft + L'\n';
  head += blankLeftFields() + kTeeRight + repeated(kH, 6) + kTeeLeft + blanks(8) + kV + blanks(8) +
          kV + L'\n';
  // "Dł.Poc.": the train's length; 0x88 is "ł" in code page 852.
  head += blankLeftFields() + kV + L" LOK3 " + kV +
          doubleHeight(std::wstring(L"D") + wchar_t{0x88} + L".Poc.") + blanks(1) + kV + blanks(3) +
          doubleHeight(L"%") + blanks(4) + kV + L'\n';
  return head;
}

std::wstring buildFormFoot() {
  return kBottomLeft + repeated(kH, 5) + kTeeUp + repeated(kH, 32) + kTeeUp + repeated(kH, 9) +
         kTeeUp + repeated(kH, 9) + kTeeUp + repeated(kH, 6) + kTeeUp + repeated(kH, 8) + kTeeUp +
         repeated(kH, 8) + kBottomRight + kFormFeed;
}

}  // namespace

const std::wstring formHead = buildFormHead();
const std::wstring formFoot = buildFormFoot();
