#ifndef TIMETABLE_SERVICE_SERVICE_SETTINGS_H_
#define TIMETABLE_SERVICE_SERVICE_SETTINGS_H_

#include <string>
#include <vector>

#include "platform/settings_store.h"

// The settings of a run, read once at its start: where the timetable service is, what vouches
// for its certificate and the proxy on the way. Each comes from the last of these that has it:
// the built-in default, the machine's stored settings, the user's, the option --service; a
// value of the site's policy comes before them all.

// The built-in service: the host chosen when the program was built, and the service's port.
extern const char* const kBuiltInServiceHost;
extern const int kDefaultServicePort;
// The bundle of trusted authorities in the working folder, which comes before every setting but
// a policy's ca-file.
extern const char* const kWorkingFolderBundle;

struct Setting {
  std::string value;    // Empty for a setting that is not set.
  std::string origin;   // Where the value came from; empty for the built-in value.
  bool policy = false;  // Set by the site's policy.
  std::string problem;  // What is wrong with the value, such as "is not a host name or IP
                        // address"; empty for a value that can be used.
};

enum class TrustKind { kWorkingFolder, kCaFile, kSystemStore };

// What the service's certificate is checked against, decided once for the requests, the
// messages and --settings alike.
struct Trust {
  TrustKind kind = TrustKind::kSystemStore;
  std::string file;           // The bundle of the first two kinds: only its authorities count.
  std::string name;           // In the user's terms, for messages: "the ca-file /etc/site.pem".
  std::string problem;        // Why the bundle cannot be used; empty when it can.
  bool beforeCaFile = false;  // cacert.pem, with a ca-file set that it comes before.
};

struct ServiceSettings {
  Setting service;   // HOST[:PORT]
  Setting caFile;    // A PEM bundle of certificate authorities.
  Setting proxy;     // "system" (empty), "direct", or http://[USER:PASSWORD@]HOST:PORT.
  std::string host;  // As the address writes it: an IPv6 address in brackets.
  int port = kDefaultServicePort;
  Trust trust;
  // Each value that cannot be used, as the error that ends a run, in the order of the settings.
  std::vector<std::string> errors;
  // An option --service that cannot be used: the command line is wrong.
  std::string usageError;
  // Where a run without destination options sends the form, as the driver reads it: LPT1
  // (empty), a spooler printer's name, drawn, drawn:NAME or view.
  Setting destination;
};

// Reads HOST[:PORT] into host and port (9640 when none is given). Returns why it cannot, such as
// "is not a host name or IP address", or an empty text.
std::string readServiceAddress(const std::string& text, std::string& host, int& port);

// The settings of the stored ones and the option (empty when not given), as readServiceSettings
// says, without the choice of the trust. A name that is not a setting gets a warning.
ServiceSettings serviceSettingsOf(const std::vector<StoredSetting>& stored,
                                  const std::string& serviceOption);

// What vouches for the service's certificate, first of: a policy's ca-file, cacert.pem in the
// working folder when there is one, the ca-file setting, the system's store. The files are not
// looked at.
Trust trustOf(const ServiceSettings& settings, bool workingFolderBundle);

// Reads the stored settings and takes the option, then chooses the trust and checks its bundle.
// A source that cannot be read is thrown as std::runtime_error naming it; a value that cannot
// be used is kept with its problem, and its error is in errors.
ServiceSettings readServiceSettings(const std::string& serviceOption);

// HOST:PORT of the service, as messages name it.
std::string serviceHostPort(const ServiceSettings& settings);

// The address every query is appended to: https://HOST:PORT/?
std::string serviceBaseUrl(const ServiceSettings& settings);

// The proxy setting as it may be shown: a password in it becomes ***.
std::string shownProxy(const std::string& value);

// Each setting's value and where it came from, with what is wrong with it, and how the service's
// certificate is checked, one line each.
std::string describeServiceSettings(const ServiceSettings& settings);

#endif  // TIMETABLE_SERVICE_SERVICE_SETTINGS_H_
