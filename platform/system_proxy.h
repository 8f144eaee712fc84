#ifndef TIMETABLE_PLATFORM_SYSTEM_PROXY_H_
#define TIMETABLE_PLATFORM_SYSTEM_PROXY_H_

#include <string>

// The proxy the user's system settings give for an address, beyond the variables https_proxy
// and the like, which the proxy choice reads on every platform: on Windows the user's proxy
// settings (the ones the browser uses); elsewhere none.
struct SystemProxy {
  std::string proxy;       // As the system writes it: "host:port", "https=host:port;http=...", a
                           // list; empty when the system gives none.
  std::string bypass;      // The addresses that go direct, as the system writes them.
  bool automatic = false;  // The proxy came from automatic detection or a configuration script.
  std::string note;        // Why automatic detection gave nothing, for the user; else empty.
};

// Asks the system for the proxy of url (https://host:port/...). Automatic detection, where the
// system has it, is bounded, so that a network without an answer cannot hold the run.
SystemProxy systemProxyFor(const std::string& url);

#endif  // TIMETABLE_PLATFORM_SYSTEM_PROXY_H_
