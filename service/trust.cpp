#include "service/trust.h"

#include <curl/curl.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "platform/translation.h"

const char* const kWorkingFolderBundle = "cacert.pem";
const size_t kMaxTrustBundleBytes = 4 * 1024 * 1024;

namespace {

// cacert.pem vouches for the service only when no one but the user and root could have put it
// there or changed it, as ssh does for its keys.
std::string guardProblem(FileGuard guard) {
  switch (guard) {
    case FileGuard::kOwnedByAnother:
      return translate("belongs to another user than you or root");
    case FileGuard::kWritableByOthers:
      return translate("may be changed by others than its owner");
    case FileGuard::kLinkOfAnother:
      return translate("is a link that another user than you or root made");
    case FileGuard::kInFolderOthersMayWrite:
      return translate("lies in a folder where others could put another file in its place");
    case FileGuard::kGuarded:
      break;
  }
  return std::string();
}

}  // namespace

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
  const GuardedFileBytes guarded = readGuardedFileUpTo(trust.file, kMaxTrustBundleBytes);
  FileBytes read = guarded.read;
  if (read.reason.empty() && read.bytes.size() > kMaxTrustBundleBytes) {
    read.reason = formatMessage(translate("it is larger than {0} MB, which no bundle of "
                                          "authorities is"),
                                {std::to_string(kMaxTrustBundleBytes / (1024 * 1024))});
  }
  if (!read.reason.empty()) {
    trust.problem = formatMessage(translate("cannot be read: {0}"), {read.reason});
    // A path to nothing, or to no file, is the setting's to correct, not the file's.
    const bool wrongPath = read.notRegular || read.error == ENOENT || read.error == ENOTDIR;
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
  if (workingFolder) trust.problem = guardProblem(guarded.guard);
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
