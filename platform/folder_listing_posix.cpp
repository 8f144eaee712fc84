#include <dirent.h>

#include <cerrno>
#include <cstring>

#include "platform/folder_listing.h"

bool listFolder(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
  DIR* entries = opendir(folder.c_str());
  if (entries == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  names.clear();
  errno = 0;
  for (const dirent* entry = readdir(entries); entry != nullptr; entry = readdir(entries)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  const int error = errno;
  closedir(entries);
  if (error != 0) {
    reason = std::strerror(error);
    return false;
  }
  return true;
}
