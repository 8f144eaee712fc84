#include "platform/file_system.h"

namespace {

// Short enough for a dot, a process number and a counter, or mkstemp's ".XXXXXX", to fit in the
// 255 bytes (or UTF-16 units, never more than the bytes) a file name may have.
const size_t kKeptNameBytes = 200;

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string temporaryNameStart(const std::string& name) {
  size_t kept = name.size();
  if (kept > kKeptNameBytes) {
    kept = kKeptNameBytes;
    while (kept > 0 && isContinuationByte(name[kept])) --kept;
  }
  return "." + name.substr(0, kept);
}
