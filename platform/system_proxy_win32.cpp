#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "platform/system_proxy.h"
#include "platform/translation.h"
#include "platform/wide_text_win32.h"

namespace {

// The longest automatic detection or a configuration script may take; past it the run goes on
// without the system's proxy.
const int kAutomaticProxySeconds = 5;

// Takes a text that WinHTTP allocated, and frees it.
std::string takeGlobalText(LPWSTR text) {
  if (text == nullptr) return std::string();
  std::string taken = utf8FromWide(text);
  GlobalFree(text);
  return taken;
}

struct AutomaticAnswer {
  bool answered = false;  // False when detection found no configuration.
  std::string proxy;      // Empty for a direct connection.
  std::string bypass;
};

// What automatic detection or the configuration script says for url, with WinHTTP's own time
// limits as well, so that the thread that asks ends soon after the run stops waiting for it.
AutomaticAnswer askAutomaticProxy(const std::wstring& url, bool detect,
                                  const std::wstring& scriptUrl) {
  AutomaticAnswer answer;
  HINTERNET session = WinHttpOpen(L"timetable-print", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (session == nullptr) return answer;
  const int limit = kAutomaticProxySeconds * 1000;
  WinHttpSetTimeouts(session, limit, limit, limit, limit);
  WINHTTP_AUTOPROXY_OPTIONS options{};
  if (detect) {
    options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  if (!scriptUrl.empty()) {
    options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = scriptUrl.c_str();
  }
  // A script behind a proxy that asks for sign-in gets the user's own.
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info{};
  if (WinHttpGetProxyForUrl(session, url.c_str(), &options, &info)) {
    std::string proxy = takeGlobalText(info.lpszProxy);
    std::string bypass = takeGlobalText(info.lpszProxyBypass);
    answer.answered = true;
    if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
      answer.proxy = proxy;
      answer.bypass = bypass;
    }
  }
  WinHttpCloseHandle(session);
  return answer;
}

// Asks on a thread of its own and waits for it no longer than the limit: WinHTTP's time limits
// do not cover every step of detection. A thread still asking is left to end on its own.
bool askWithDeadline(const std::wstring& url, bool detect, const std::wstring& scriptUrl,
                     AutomaticAnswer& answer) {
  auto promise = std::make_shared<std::promise<AutomaticAnswer>>();
  std::future<AutomaticAnswer> future = promise->get_future();
  try {
    std::thread([promise, url, detect, scriptUrl] {
      promise->set_value(askAutomaticProxy(url, detect, scriptUrl));
    }).detach();
  } catch (const std::system_error&) {
    return false;
  }
  if (future.wait_for(std::chrono::seconds(kAutomaticProxySeconds)) != std::future_status::ready) {
    return false;
  }
  answer = future.get();
  return true;
}

}  // namespace

SystemProxy systemProxyFor(const std::string& url) {
  SystemProxy system;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return system;
  const bool detect = config.fAutoDetect != FALSE;
  const std::string scriptUrl = takeGlobalText(config.lpszAutoConfigUrl);
  system.proxy = takeGlobalText(config.lpszProxy);
  system.bypass = takeGlobalText(config.lpszProxyBypass);
  if (detect || !scriptUrl.empty()) {
    AutomaticAnswer answer;
    if (!askWithDeadline(wideFromCodePage(url, CP_UTF8), detect,
                         wideFromCodePage(scriptUrl, CP_UTF8), answer) ||
        !answer.answered) {
      system.note = translate("automatic proxy detection gave no answer");
    } else {
      // The configuration found says which proxy, or none, whatever a fixed one says.
      system.proxy = answer.proxy;
      system.bypass = answer.bypass;
      system.automatic = true;
    }
  }
  return system;
}
