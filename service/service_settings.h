#ifndef TIMETABLE_SERVICE_SERVICE_SETTINGS_H_
#define TIMETABLE_SERVICE_SERVICE_SETTINGS_H_

#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "service/service_address.h"
#include "service/trust.h"

// The settings of the service, read once at a run's start: where the timetable service is, what
// vouches for its certificate and the proxy on the way. Each comes from the last of these that
// has it: the built-in default, the machine's stored settings, the user's, the caller's override
// of the service (the command line's). A value of the site's policy wins over them all, by its
// mark alone (Setting.policy), whatever order the sources are read in: that mark is the one way a
// policy wins (takeStoredSetting).

struct Setting {
  std::string value;    // Empty for a setting that is not set.
  std::string origin;   // Where the value came from; empty for the built-in value.
  bool policy = false;  // Set by the site's policy.
  std::string problem;  // What is wrong with the value, such as "is not a host name or IP
                        // address"; empty for a value that can be used.
};

// An override of the service that a policy's service stands against is refused: the same
// service is no change, another is refused, and so is any beside a policy's value that cannot be
// used. One that cannot be read is refused too (its problem in the service's Setting).
enum class ServiceOverride { kNoneOrTaken, kUnusable, kAgainstPolicy, kAgainstBrokenPolicy };

struct ServiceSettings {
  Setting service;   // HOST[:PORT]
  Setting caFile;    // A PEM bundle of certificate authorities.
  Setting proxy;     // "system" (empty), "direct", or http://[USER:PASSWORD@]HOST:PORT.
  std::string host;  // As the address writes it: an IPv6 address in brackets.
  int port = kDefaultServicePort;
  Trust trust;
  // Each source or value that cannot be used, as the error that ends a run: the sources' first,
  // then the values' in the order of the settings.
  std::vector<std::string> errors;
  // The sources that could not be read (also first in errors), which no setting's line shows.
  std::vector<std::string> sourceErrors;
  // A name that is no setting, as its warning: a run goes on without it, --settings fails.
  std::vector<std::string> unknownSettings;
  // What became of the override of the service; the caller words it, as it knows where the
  // override came from.
  ServiceOverride serviceOverride = ServiceOverride::kNoneOrTaken;
};

// Takes a stored value into the setting of its name; an empty value stands for the built-in one.
// A policy's value stays: this is where a policy wins, and nowhere else.
void takeStoredSetting(const StoredSetting& stored, Setting& setting);

// The settings of the stored ones and the override of the service (an empty value when there is
// none, its origin saying where it came from), as readServiceSettings says, without the choice of
// the trust. A name that is no setting gets a warning; one that is a setting of another part of
// the program is left to it.
ServiceSettings serviceSettingsOf(const std::vector<StoredSetting>& stored,
                                  const Setting& serviceOverride = Setting());

// Takes the stored settings and the override, then chooses the trust and checks its bundle. A
// source that cannot be read, and a value that cannot be used (kept with its problem), each have
// their error in errors.
ServiceSettings readServiceSettings(const StoredSettings& stored, const Setting& serviceOverride);

// Where a setting's value came from, for messages: "from FILE, line 2", "policy, from ...",
// "built in".
std::string originText(const Setting& setting);

// HOST:PORT of the service, as messages name it.
std::string serviceHostPort(const ServiceSettings& settings);

// The address every query is appended to: https://HOST:PORT/?
std::string serviceBaseUrl(const ServiceSettings& settings);

#endif  // TIMETABLE_SERVICE_SERVICE_SETTINGS_H_
