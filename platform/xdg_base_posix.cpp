#include "platform/xdg_base_posix.h"

#include <cstdlib>

std::string xdgProgramFolder(const char* variable, const char* underHome) {
  const char* base = std::getenv(variable);
  if (base != nullptr && base[0] == '/') return std::string(base) + "/timetable-print";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return std::string();
  return std::string(home) + "/" + underHome + "/timetable-print";
}
