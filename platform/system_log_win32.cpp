// The Application event log, under the source the installer registers with the exe as its
// message file, so that Event Viewer shows each event's text from the exe's message table.
#include <windows.h>

#include <vector>

#include "platform/system_log.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"

namespace {

WORD eventTypeOf(EventLevel level) {
  switch (level) {
    case EventLevel::kError:
      return EVENTLOG_ERROR_TYPE;
    case EventLevel::kWarning:
      return EVENTLOG_WARNING_TYPE;
    case EventLevel::kInformation:
      break;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

std::string sendSystemLogEvent(const SystemLogEvent& event) {
  const DWORD saved = GetLastError();
  size_t bytes = 0;
  std::vector<std::wstring> strings;
  for (const auto& field : event.fields) {
    bytes += field.second.size();
    strings.push_back(utf8ToWide(field.second));
  }
  if (bytes > kSystemLogEventLimit) return "the event is too large";
  std::vector<LPCWSTR> pointers;
  for (const std::wstring& text : strings) pointers.push_back(text.c_str());
  const std::wstring source = utf8ToWide(kSystemLogIdentifier);
  std::string reason;
  HANDLE log = RegisterEventSourceW(nullptr, source.c_str());
  if (log == nullptr) {
    reason = "RegisterEventSourceW: " + systemMessage(GetLastError());
  } else {
    if (!ReportEventW(log, eventTypeOf(event.level), 0, event.id, nullptr,
                      static_cast<WORD>(pointers.size()), 0, pointers.data(), nullptr)) {
      reason = "ReportEventW: " + systemMessage(GetLastError());
    }
    DeregisterEventSource(log);
  }
  SetLastError(saved);
  return reason;
}
