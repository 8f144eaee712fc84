#include <dlfcn.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/file_system.h"
#include "platform/program_module.h"
#include "platform/translation.h"

namespace {

// The path with each "FOLDER/../" taken out, as the user would write it: /usr/lib/... rather
// than /usr/bin/../lib/...
std::string withoutParentSteps(std::string path) {
  for (size_t up = path.find("/../"); up != std::string::npos && up > 0; up = path.find("/../")) {
    const size_t folder = path.rfind('/', up - 1);
    if (folder == std::string::npos || path.compare(folder, up - folder, "/..") == 0) break;
    path.erase(folder, up + 3 - folder);
  }
  return path;
}

// The module's file: beside the program in the build tree; installed, in the program's own
// library folder, which the build names relative to the programs' folder. Never the working
// folder or a search path, which could hand the program someone else's code.
std::string modulePath(const std::string& fileName) {
  const std::string programFolder = folderOf(programPath());
  if (programFolder.empty()) return std::string();
  const std::string beside = programFolder + fileName;
  if (fileExists(beside)) return beside;
  return withoutParentSteps(programFolder + TIMETABLE_MODULE_FOLDER + fileName);
}

// The loader's reason, which may begin with the path already named.
[[noreturn]] void failModule(const std::string& path, const char* reason) {
  std::string why = reason != nullptr ? reason : "";
  if (why.compare(0, path.size() + 2, path + ": ") == 0) why.erase(0, path.size() + 2);
  throw std::runtime_error(
      formatMessage(translate("cannot load {0}, a part of this program that this run needs; "
                              "install the program again: {1}"),
                    {path, why}));
}

}  // namespace

void* programModuleEntry(const char* fileName, const char* entry) {
  const std::string path = modulePath(fileName);
  if (path.empty()) failModule(fileName, std::strerror(ENOENT));
  // Every symbol is bound now, so that a module of another build fails here, before the first
  // prompt, rather than in the middle of the form. The module's own names stay its own.
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) failModule(path, dlerror());
  dlerror();
  void* address = dlsym(module, entry);
  if (address == nullptr) failModule(path, dlerror());
  return address;
}
