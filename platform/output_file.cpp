#include "platform/output_file.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/translation.h"

namespace {

[[noreturn]] void failFile(const std::string& path, const std::string& reason) {
  throw std::runtime_error(formatMessage(translate("cannot write {0}: {1}"), {path, reason}));
}

// Closes and removes the file. Every other use of the file holds interrupts off, so that the
// interrupt's cleanup may do this too: Windows removes no file that is open.
void removePending(PendingFile& pending) {
  if (pending.file != nullptr) std::fclose(pending.file);
  pending.file = nullptr;
  if (!pending.path.empty()) removeFile(pending.path);
}

}  // namespace

void discardPendingFile(PendingFile* pending) {
  if (pending == nullptr) return;
  holdInterrupts([pending] {
    removePending(*pending);
    if (pending->interruptCleanup != 0) removeInterruptCleanup(pending->interruptCleanup);
  });
  delete pending;
}

PendingFileHandle startPendingFile(const std::string& finalPath) {
  if (isFolder(finalPath)) failFile(finalPath, translate("it is a folder"));
  requireUnplantedLink(finalPath);
  PendingFileHandle pending(new PendingFile, discardPendingFile);
  pending->finalPath = finalPath;
  pending->targetPath = linkTargetOf(finalPath);
  holdInterrupts([&pending, &finalPath] {
    std::string path;
    std::string reason;
    pending->file = createFileBeside(pending->targetPath, path, reason);
    if (pending->file == nullptr) failFile(finalPath, reason);
    pending->path = path;  // Only a file of our own is ever removed.
    PendingFile* file = pending.get();
    pending->interruptCleanup = addInterruptCleanup([file] { removePending(*file); });
  });
  return pending;
}

void writePendingFile(PendingFile& pending, const std::string& bytes) {
  holdInterrupts([&pending, &bytes] {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), pending.file) != bytes.size() ||
        std::fflush(pending.file) != 0) {
      failFile(pending.finalPath, fileErrorText(errno));
    }
  });
}

void completePendingFile(PendingFile& pending) {
  holdInterrupts([&pending] {
    if (pending.file == nullptr) return;
    errno = 0;
    const int closed = std::fclose(pending.file);
    pending.file = nullptr;
    if (closed != 0) failFile(pending.finalPath, fileErrorText(errno));
  });
}

void finishPendingFile(PendingFileHandle pending) {
  completePendingFile(*pending);
  // Put in place together with the removal of its cleanup: an interrupt after that leaves it.
  holdInterrupts([&pending] {
    std::string reason;
    if (!replaceFile(pending->path, pending->targetPath, reason)) {
      failFile(pending->finalPath, reason);
    }
    removeInterruptCleanup(pending->interruptCleanup);
    pending->interruptCleanup = 0;
  });
  // In place: nothing is left to remove.
  delete pending.release();
}

void requireWritableFile(const std::string& path) {
  startPendingFile(path);
  std::string reason;
  if (!mayReplaceFile(linkTargetOf(path), reason)) failFile(path, reason);
}

void requireUnplantedLink(const std::string& path) {
  std::string reason;
  if (isPlantedLink(path, reason)) failFile(path, reason);
}

void requireWritableFolder(const std::string& folder) {
  holdInterrupts([&folder] {
    std::string path;
    std::string reason;
    std::FILE* file = createFileBeside(folder + "form", path, reason);
    if (file == nullptr) failFile(folder, reason);
    std::fclose(file);
    removeFile(path);
  });
}
