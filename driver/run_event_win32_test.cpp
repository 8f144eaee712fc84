#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "driver/run_event.h"
#include "platform/utf8.h"

namespace {

// The text Event Viewer shows for the event, from the message table this exe carries as the
// program does.
std::string shownText(const SystemLogEvent& event) {
  std::vector<std::wstring> strings;
  for (const auto& field : event.fields) strings.push_back(utf8ToWide(field.second));
  std::vector<DWORD_PTR> arguments;
  for (const std::wstring& text : strings)
    arguments.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      GetModuleHandleW(nullptr), event.id, 0, reinterpret_cast<wchar_t*>(&text), 0,
      reinterpret_cast<va_list*>(arguments.data()));
  if (length == 0) return std::string();
  const std::string shown = wideToUtf8(std::wstring(text, length));
  LocalFree(text);
  return shown;
}

TEST(RunEventWin32, EveryEventsMessageIsInTheTableWithItsFields) {
  RunRecord record;
  record.mode = RunMode::kRun;
  record.train = "5410";
  record.destination = "device";
  const SystemLogEvent printed = runEventOf(record, 0, false, 0);
  EXPECT_NE(shownText(printed).find("\r\noutcome=printed\r\nfailure=\r\ntrain=5410\r\n"
                                    "destination=device\r\nexit=0\r\nversion=" TIMETABLE_VERSION
                                    "\r\ncopy="),
            std::string::npos)
      << shownText(printed);
  std::vector<SystemLogEvent> events = {printed, runEventOf(record, 1, false, 0),
                                        runEventOf(record, 130, true, 0)};
  record.incomplete = true;
  events.push_back(runEventOf(record, 0, false, 0));
  record.mode = RunMode::kReprint;
  events.push_back(runEventOf(record, 0, false, 0));
  record.mode = RunMode::kCheck;
  events.push_back(runEventOf(record, 0, false, 0));
  events.push_back(runEventOf(record, 1, false, 0));
  record.mode = RunMode::kPrefetch;
  events.push_back(runEventOf(record, 0, false, 0));
  for (const SystemLogEvent& event : events) {
    EXPECT_NE(shownText(event).find("outcome=" + event.fields[0].second + "\r\n"),
              std::string::npos)
        << event.id;
  }
}

}  // namespace
