#ifndef TIMETABLE_PLATFORM_OUTPUT_FILE_H_
#define TIMETABLE_PLATFORM_OUTPUT_FILE_H_

#include <cstdio>
#include <memory>
#include <string>

// A file written beside its final path and put in place only once it is complete, so that a
// failed or interrupted run never leaves half a file behind and never destroys an earlier one.
struct PendingFile {
  std::FILE* file = nullptr;
  std::string path;          // Where the bytes go while the file is written.
  std::string finalPath;     // Where the finished file goes, as the user named it.
  std::string targetPath;    // What it replaces there: finalPath, or the target of a link.
  int interruptCleanup = 0;  // Removes the file on an interrupt; 0 once it is in place or gone.
};

// Closes and removes a file that was not finished.
void discardPendingFile(PendingFile* pending);
using PendingFileHandle = std::unique_ptr<PendingFile, void (*)(PendingFile*)>;

// Starts the file for finalPath, beside the target of a link there. A folder that does not exist or
// cannot be written, or a finalPath that is a folder, is thrown as std::runtime_error naming
// finalPath.
PendingFileHandle startPendingFile(const std::string& finalPath);

// Appends the bytes; a write error is thrown as std::runtime_error.
void writePendingFile(PendingFile& pending, const std::string& bytes);

// Closes the file, complete, and leaves it beside finalPath until finishPendingFile puts it in
// place, so that files that belong together go in place only once all of them are complete. A
// write error that closing reveals is thrown as std::runtime_error; the file is then discarded
// with its handle.
void completePendingFile(PendingFile& pending);

// Closes the file, unless completePendingFile did, and puts it in place of finalPath; on failure it
// is discarded and the error thrown as std::runtime_error.
void finishPendingFile(PendingFileHandle pending);

// Throws as startPendingFile does when a file at path could not be written, or an existing file
// there could not be replaced; leaves nothing behind.
void requireWritableFile(const std::string& path);

// Throws std::runtime_error naming path when a symbolic link there may have been planted by
// another user (isPlantedLink). startPendingFile checks this too.
void requireUnplantedLink(const std::string& path);

// Throws std::runtime_error naming the folder when no file can be created in it; leaves nothing
// behind. The folder's name ends in its separator.
void requireWritableFolder(const std::string& folder);

#endif  // TIMETABLE_PLATFORM_OUTPUT_FILE_H_
