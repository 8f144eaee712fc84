#include "form/form_text.h"

#include "form/code_page.h"
#include "form/form_grid.h"
#include "form/printer_code.h"

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
  head += blankLeftFields() + kV + centred(L"LOK1", kLokWidth) + kV + blanks(kTrainWidth) + kV +
          blanks(kTrainWidth) + kV + L'\n';
  head += blankLeftFields() + kTeeRight + repeated(kH, kLokWidth) + kTeeLeft +
          centred(L"Brutto", kTrainWidth) + kV + centred(L"Vmax", kTrainWidth) + kV + L'\n';
  head += kV + vpHeading() + kV + vpHeading() + kV + centred(L"Stacja", kNameWidth, true) + kV +
          centred(L"Godzina", kHoursWidth, true) + kV + centred(L"LOK2", kLokWidth) + kTeeRight +
          repeated(kH, kTrainWidth) + kCross + repeated(kH, kTrainWidth) + kTeeLeft + L'\n';
  head += blankLeftFields() + kTeeRight + repeated(kH, kLokWidth) + kTeeLeft + blanks(kTrainWidth) +
          kV + blanks(kTrainWidth) + kV + L'\n';
  // "Dł.Poc.": the train's length; 0x88 is "ł" in code page 852.
  head += blankLeftFields() + kV + centred(L"LOK3", kLokWidth) + kV +
          centred(std::wstring(L"D") + wchar_t{0x88} + L".Poc.", kTrainWidth, true) + kV +
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
