#include "platform/output_file.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/file_beside.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/translation.h"
#include "platform/trusted_file.h"

namespace {

[[noreturn]] void failFile(const std::string& path, const std::string& reason) {
  throw std::runtime_error(formatMessage(translate("cannot write {0}: {1}"), {path, reason}));
}

// Closes and removes the file. Every other use of the file holds interrupts off, so that the
// interrupt's cleanup may do this too: Windows removes no file that is open.
void removePending(PendingFile& pending) {
  FileBeside beside{pending.file, pending.path};
  dropFileBeside(beside);
  pending.file = nullptr;
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
    FileBeside beside;
    std::string reason;
    if (!startFileBeside(pending->targetPath, NewFileAccess::kUsual, beside, reason)) {
      failFile(finalPath, reason);
    }
    pending->file = beside.file;
    pending->path = beside.path;  // Only a file of our own is ever removed.
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
    FileBeside beside{pending.file, pending.path};
    pending.file = nullptr;
    std::string reason;
    if (!completeFileBeside(beside, reason)) failFile(pending.finalPath, reason);
  });
}

void finishPendingFile(PendingFileHandle pending) {
  completePendingFile(*pending);
  // Put in place together with the removal of its cleanup: an interrupt after that leaves it.
  holdInterrupts([&pending] {
    FileBeside beside{nullptr, pending->path};
    std::string reason;
    if (!putFileBesideInPlace(beside, pending->targetPath, reason)) {
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
    FileBeside beside;
    std::string reason;
    if (!startFileBeside(folder + "form", NewFileAccess::kUsual, beside, reason)) {
      failFile(folder, reason);
    }
    dropFileBeside(beside);
  });
}
