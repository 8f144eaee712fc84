#ifndef TIMETABLE_SERVICE_SERVICE_SETTINGS_H_
#define TIMETABLE_SERVICE_SERVICE_SETTINGS_H_

#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "service/service_address.h"
#include "service/trust.h"

// The settings of a run, read once at its start: where the timetable service is, what vouches
// for its certificate, the proxy on the way and where the form goes. Each comes from the last of
// these that has it: the built-in default, the machine's stored settings, the user's, the option
// --service. A value of the site's policy wins over them all, by its mark alone (Setting.policy),
// whatever order the sources are read in: that mark is the one way a policy wins.

struct Setting {
  std::string value;    // Empty for a setting that is not set.
  std::string origin;   // Where the value came from; empty for the built-in value.
  bool policy = false;  // Set by the site's policy.
  std::string problem;  // What is wrong with the value, such as "is not a host name or IP
                        // address"; empty for a value that can be used.
};

struct ServiceSettings {
  Setting service;      // HOST[:PORT]
  Setting caFile;       // A PEM bundle of certificate authorities.
  Setting proxy;        // "system" (empty), "direct", or http://[USER:PASSWORD@]HOST:PORT.
  Setting destination;  // Where a run without destination options sends the form: LPT1
                        // (empty), a spooler printer's name, drawn, drawn:NAME or view.
  Setting offline;      // How many hours old a copy of a timetable may be and still be printed
                        // when the service cannot give it; 0 (empty) for never.
  Setting prefetch;     // The trains whose copies --prefetch fetches: numbers and ranges.
  std::string host;     // As the address writes it: an IPv6 address in brackets.
  int port = kDefaultServicePort;
  Trust trust;
  // Each source or value that cannot be used, as the error that ends a run: the sources' first,
  // then the values' in the order of the settings.
  std::vector<std::string> errors;
  // The sources that could not be read (also first in errors), which no setting's line shows.
  std::vector<std::string> sourceErrors;
  // A name that is no setting, as its warning: a run goes on without it, --settings fails.
  std::vector<std::string> unknownSettings;
  // An option --service that cannot be used: the command line is wrong.
  std::string usageError;
};

// The settings of the stored ones and the option (empty when not given), as readServiceSettings
// says, without the choice of the trust. A name that is not a setting gets a warning.
ServiceSettings serviceSettingsOf(const std::vector<StoredSetting>& stored,
                                  const std::string& serviceOption);

// Reads the stored settings and takes the option, then chooses the trust and checks its bundle.
// A source that cannot be read, and a value that cannot be used (kept with its problem), each
// have their error in errors.
ServiceSettings readServiceSettings(const std::string& serviceOption);

// Where a setting's value came from, for messages: "from FILE, line 2", "policy, from ...",
// "built in".
std::string originText(const Setting& setting);

// HOST:PORT of the service, as messages name it.
std::string serviceHostPort(const ServiceSettings& settings);

// The address every query is appended to: https://HOST:PORT/?
std::string serviceBaseUrl(const ServiceSettings& settings);

#endif  // TIMETABLE_SERVICE_SERVICE_SETTINGS_H_
