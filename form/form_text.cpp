#include "form/form_text.h"

#include "form/code_page.h"
#include "form/form_grid.h"
#include "form/printer_code.h"

const wchar_t kStationHeading[] = L"Stacja";
const wchar_t kHoursHeading[] = L"Godzina";
const wchar_t kLok1Heading[] = L"LOK1";
const wchar_t kLok2Heading[] = L"LOK2";
const wchar_t kLok3Heading[] = L"LOK3";
const wchar_t kMassHeading[] = L"Brutto";
const wchar_t kLengthHeading[] = L"D\u0142.Poc.";
const wchar_t kSpeedHeading[] = L"Vmax";

namespace {

const wchar_t kV = kVertical;
const wchar_t kH = kHorizontal;

// The two narrow fields, "Stacja" and "Godzina", blank on every head line but the fourth.
std::wstring blankLeftFields() {
  return kV + blanks(kNarrowWidth) + kV + blanks(kNarrowWidth) + kV + blanks(kNameWidth) + kV +
         blanks(kHoursWidth);
}

// A heading centred in its field, the odd blank on the right. In double height the switches
// enclose the heading alone; they take no column.
std::wstring centred(const std::wstring& heading, int width, bool doubleHeight = false) {
  const int spare = width - static_cast<int>(heading.size());
  std::wstring field = blanks(spare / 2);
  field += doubleHeight ? kDoubleHeightOn + heading + kDoubleHeightOff : heading;
  return field + blanks(spare - spare / 2);
}

// "V" with a subscript "P".
std::wstring vpHeading() { return std::wstring(L"V") + kSubscriptOn + L"P" + kScriptOff; }

std::wstring buildFormHead() {
  std::wstring head;
  head += kTopLeft + repeated(kH, kNarrowWidth) + kTeeDown + repeated(kH, kNarrowWidth) + kTeeDown +
          repeated(kH, kNameWidth) + kTeeDown + repeated(kH, kHoursWidth) + kTeeDown +
          repeated(kH, kLokWidth) + kTeeDown + repeated(kH, kTrainWidth) + kTeeDown +
          repeated(kH, kTrainWidth) + kTopRight + L'\n';
  head += blankLeftFields() + kV + centred(kLok1Heading, kLokWidth) + kV + blanks(kTrainWidth) +
          kV + blanks(kTrainWidth) + kV + L'\n';
  head += blankLeftFields() + kTeeRight + repeated(kH, kLokWidth) + kTeeLeft +
          centred(kMassHeading, kTrainWidth) + kV + centred(kSpeedHeading, kTrainWidth) + kV +
          L'\n';
  head += kV + vpHeading() + kV + vpHeading() + kV + centred(kStationHeading, kNameWidth, true) +
          kV + centred(kHoursHeading, kHoursWidth, true) + kV + centred(kLok2Heading, kLokWidth) +
          kTeeRight + repeated(kH, kTrainWidth) + kCross + repeated(kH, kTrainWidth) + kTeeLeft +
          L'\n';
  head += blankLeftFields() + kTeeRight + repeated(kH, kLokWidth) + kTeeLeft + blanks(kTrainWidth) +
          kV + blanks(kTrainWidth) + kV + L'\n';
  head += blankLeftFields() + kV + centred(kLok3Heading, kLokWidth) + kV +
          centred(toPrinterCodePage(kLengthHeading), kTrainWidth, true) + kV +
          centred(L"%", kTrainWidth, true) + kV + L'\n';
  return head;
}

std::wstring buildFormFoot() {
  return kBottomLeft + repeated(kH, kTickWidth) + kTeeUp + repeated(kH, kNameWidth) + kTeeUp +
         repeated(kH, kTimeWidth) + kTeeUp + repeated(kH, kTimeWidth) + kTeeUp +
         repeated(kH, kLokWidth) + kTeeUp + repeated(kH, kTrainWidth) + kTeeUp +
         repeated(kH, kTrainWidth) + kBottomRight + kFormFeed;
}

}  // namespace

const std::wstring formHead = buildFormHead();
const std::wstring formFoot = buildFormFoot();

std::wstring markedFormFoot(const std::vector<std::wstring>& marks) {
  if (marks.empty()) return formFoot;
  std::wstring foot = formFoot.substr(0, formFoot.size() - 1);
  for (const std::wstring& mark : marks) {
    foot += L'\n' + std::wstring(kBoldOn) + toPrinterCodePage(mark) + kBoldOff;
  }
  return foot + L'\n' + kFormFeed;
}

std::wstring incompleteFormMark(int rowsLeftOut, const std::wstring& firstName,
                                const std::wstring& lastName) {
  const std::wstring span = rowsLeftOut == 1 ? firstName : L"od " + firstName + L" do " + lastName;
  return L"UWAGA: FORMULARZ NIEPE\u0141NY. Brak dalszych punkt\u00F3w trasy: " +
         std::to_wstring(rowsLeftOut) + L" (" + span + L")";
}

std::wstring copyFormMark(const std::wstring& fetchedUtc) {
  return L"UWAGA: ROZK\u0141AD Z KOPII. Pobrany " + fetchedUtc +
         L" UTC; serwer rozk\u0142ad\u00F3w niedost\u0119pny.";
}
