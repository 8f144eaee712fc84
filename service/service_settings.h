#ifndef TIMETABLE_SERVICE_SERVICE_SETTINGS_H_
#define TIMETABLE_SERVICE_SERVICE_SETTINGS_H_

#include <string>
#include <vector>

#include "platform/settings_store.h"

// The settings of a run, read once at its start: where the timetable service is and what
// vouches for its certificate. Each comes from the last of these that has it: the built-in
// default, the machine's stored settings, the user's, the option --service.

// The built-in service: the host chosen when the program was built, and the service's port.
extern const char* const kBuiltInServiceHost;
extern const int kDefaultServicePort;
// The bundle of trusted authorities in the working folder, which comes before every setting.
extern const char* const kWorkingFolderBundle;

struct Setting {
  std::string value;   // Empty for a setting that is not set.
  std::string origin;  // Where the value came from; empty for the built-in value.
};

enum class TrustKind { kWorkingFolder, kCaFile, kSystemStore };

struct ServiceSettings {
  Setting service;   // HOST[:PORT]
  Setting caFile;    // A PEM bundle of certificate authorities.
  Setting proxy;     // "system" (empty), "direct", or http://[USER:PASSWORD@]HOST:PORT.
  std::string host;  // As the address writes it: an IPv6 address in brackets.
  int port = kDefaultServicePort;
  TrustKind trust = TrustKind::kSystemStore;
  std::string trustFile;  // The bundle of the first two kinds.
  std::string trustName;  // The trust in the user's terms, for messages.
};

// Reads HOST[:PORT] into host and port (9640 when none is given). Returns why it cannot, such as
// "is not a host name or IP address", or an empty text.
std::string readServiceAddress(const std::string& text, std::string& host, int& port);

// The settings of the stored ones and the option (empty when not given), as readServiceSettings
// says, without the choice of the trust. A name that is not a setting gets a warning.
ServiceSettings serviceSettingsOf(const std::vector<StoredSetting>& stored,
                                  const std::string& serviceOption);

// Reads the stored settings and takes the option, then chooses the trust: cacert.pem in the
// working folder when it exists, the ca-file setting, or the system's store. A bad value, a
// source or a bundle that cannot be read is thrown as std::runtime_error naming it and where it
// came from.
ServiceSettings readServiceSettings(const std::string& serviceOption);

// The address every query is appended to: https://HOST:PORT/?
std::string serviceBaseUrl(const ServiceSettings& settings);

// Each setting's value and where it came from, and how the service's certificate is checked,
// one line each.
std::string describeServiceSettings(const ServiceSettings& settings);

#endif  // TIMETABLE_SERVICE_SERVICE_SETTINGS_H_
