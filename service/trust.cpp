#include "service/trust.h"

#include <curl/curl.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "platform/translation.h"
#include "platform/trusted_file.h"

const char* const kWorkingFolderBundle = "cacert.pem";
const size_t kMaxTrustBundleBytes = 4 * 1024 * 1024;

Trust trustOf(const std::string& caFile, bool caFilePolicy, bool workingFolderBundle) {
  Trust trust;
  if (workingFolderBundle && !(caFilePolicy && !caFile.empty())) {
    trust.kind = TrustKind::kWorkingFolder;
    trust.file = kWorkingFolderBundle;
    trust.name = translate("cacert.pem in the working folder");
    trust.beforeCaFile = !caFile.empty();
  } else if (!caFile.empty()) {
    trust.kind = TrustKind::kCaFile;
    trust.file = caFile;
    trust.name = formatMessage(translate("the ca-file {0}"), {trust.file});
  } else {
    // The platform names its store in the user's language already.
    trust.name = systemCertificateStore();
  }
  return trust;
}

// Checked before the first prompt. Only a plain file is opened, so that a pipe or a device
// cannot hold the run.
std::string checkTrustBundle(Trust& trust, const std::string& caFileOrigin) {
  if (trust.kind == TrustKind::kSystemStore) return std::string();
  const bool workingFolder = trust.kind == TrustKind::kWorkingFolder;
  // cacert.pem vouches for the service only when no one but the user and root could have put it
  // there or changed it, as ssh does for its keys. A ca-file the user or the site names is their
  // choice.
  TrustedFileBytes read;
  bool notRegular = false;
  if (workingFolder) {
    read = readTrustedFile(trust.file, TrustRule::kUsersOrRoots, kMaxTrustBundleBytes);
  } else {
    const FileBytes plain = readFileUpTo(trust.file, kMaxTrustBundleBytes, true);
    read.bytes = plain.bytes;
    read.error = plain.error;
    read.reason = plain.reason;
    notRegular = plain.notRegular;
  }
  const bool refused = read.fault != TrustFault::kNone && read.fault != TrustFault::kNotPlainFile;
  if (!refused && read.reason.empty() && read.bytes.size() > kMaxTrustBundleBytes) {
    read.reason = formatMessage(translate("it is larger than {0} MB, which no bundle of "
                                          "authorities is"),
                                {std::to_string(kMaxTrustBundleBytes / (1024 * 1024))});
  }
  if (!refused && !read.reason.empty()) {
    trust.problem = formatMessage(translate("cannot be read: {0}"), {read.reason});
    // A path to nothing, or to no file, is the setting's to correct, not the file's.
    const bool wrongPath = notRegular || read.error == ENOENT || read.error == ENOTDIR;
    if (!workingFolder && wrongPath) {
      return formatMessage(translate("the ca-file {0} ({1}) cannot be used: {2}; correct the path "
                                     "in the setting"),
                           {trust.file, caFileOrigin, read.reason});
    }
    return workingFolder
               ? formatMessage(translate("the CA bundle cacert.pem in the working folder cannot "
                                         "be read; make it readable or remove it: {0}"),
                               {read.reason})
               : formatMessage(translate("the ca-file {0} ({1}) cannot be read; correct the "
                                         "setting or make the file readable: {2}"),
                               {trust.file, caFileOrigin, read.reason});
  }
  if (refused) trust.problem = read.reason;
  if (trust.problem.empty()) {
    trust.bytes = read.bytes;
    return std::string();
  }
  return formatMessage(
      translate("the CA bundle cacert.pem in the working folder is refused, as it {0}, who "
                "could make the program trust another service; make it yours or root's and "
                "writable only by its owner (chmod go-w cacert.pem), or remove it"),
      {trust.problem});
}

// libcurl's global state is set up and torn down around it, so that the requests' own set-up
// stays the one that counts.
std::string libcurlDefaultBundle() {
  std::string bundle;
  if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return bundle;
  if (CURL* handle = curl_easy_init()) {
    char* path = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_CAINFO, &path) == CURLE_OK && path != nullptr) {
      bundle = path;
    }
    curl_easy_cleanup(handle);
  }
  curl_global_cleanup();
  return bundle;
}
