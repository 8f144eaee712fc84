#ifndef TIMETABLE_SERVICE_TRUST_H_
#define TIMETABLE_SERVICE_TRUST_H_

#include <cstddef>
#include <string>

// What the service's certificate is checked against, decided once for the requests, the
// messages and --settings alike.

// The bundle of trusted authorities in the working folder, which comes before every setting but
// a policy's ca-file.
extern const char* const kWorkingFolderBundle;

enum class TrustKind { kWorkingFolder, kCaFile, kSystemStore };

struct Trust {
  TrustKind kind = TrustKind::kSystemStore;
  std::string file;           // The bundle of the first two kinds: only its authorities count.
  std::string name;           // In the user's terms, for messages: "the ca-file /etc/site.pem".
  std::string problem;        // Why the bundle cannot be used; empty when it can.
  bool beforeCaFile = false;  // cacert.pem, with a ca-file set that it comes before.
  // The bundle as it was read, once, before the first prompt: the requests take these bytes, so
  // that a file changed or swapped during the dialogue changes nothing.
  std::string bytes;
};

// The largest bundle of authorities taken: Debian's whole store is some 200 kB.
extern const size_t kMaxTrustBundleBytes;

// What vouches for the service's certificate, first of: a policy's ca-file, cacert.pem in the
// working folder when there is one, the ca-file (caFile, empty when not set), the system's
// store. The files are not looked at.
Trust trustOf(const std::string& caFile, bool caFilePolicy, bool workingFolderBundle);

// Reads the bundle once into trust.bytes. Its problem, when it cannot be read, is too large, or
// (cacert.pem) others could have put it there, as the error that ends a run; empty when it can
// be used. Sets trust.problem.
std::string checkTrustBundle(Trust& trust, const std::string& caFileOrigin);

// The bundle libcurl reads when none is named (Debian's on Linux); empty where the TLS library
// asks the system's store itself, as Schannel does.
std::string libcurlDefaultBundle();

#endif  // TIMETABLE_SERVICE_TRUST_H_
