#include "platform/output_file.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/file_system.h"

namespace {

[[noreturn]] void failFile(const std::string& path, const std::string& reason) {
  throw std::runtime_error("cannot write " + path + ": " + reason);
}

}  // namespace

void discardPendingFile(PendingFile* pending) {
  if (pending == nullptr) return;
  if (pending->file != nullptr) std::fclose(pending->file);
  removeFile(pending->path);
  delete pending;
}

PendingFileHandle startPendingFile(const std::string& finalPath) {
  if (isFolder(finalPath)) failFile(finalPath, "it is a folder");
  std::string path;
  std::string reason;
  std::FILE* file = createFileBeside(finalPath, path, reason);
  if (file == nullptr) failFile(finalPath, reason);
  return PendingFileHandle(new PendingFile{file, path, finalPath}, discardPendingFile);
}

void writePendingFile(PendingFile& pending, const std::string& bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), pending.file) != bytes.size() ||
      std::fflush(pending.file) != 0) {
    failFile(pending.finalPath, std::strerror(errno));
  }
}

void finishPendingFile(PendingFileHandle pending) {
  errno = 0;
  const int closed = std::fclose(pending->file);
  pending->file = nullptr;
  if (closed != 0) failFile(pending->finalPath, std::strerror(errno));
  std::string reason;
  if (!replaceFile(pending->path, pending->finalPath, reason)) {
    failFile(pending->finalPath, reason);
  }
  // In place: nothing is left to remove.
  delete pending.release();
}

void writeFileWhole(const std::string& path, const std::string& contents) {
  PendingFileHandle pending = startPendingFile(path);
  writePendingFile(*pending, contents);
  finishPendingFile(std::move(pending));
}

void requireWritableFile(const std::string& path) {
  startPendingFile(path);
  std::string reason;
  if (!mayReplaceFile(path, reason)) failFile(path, reason);
}
