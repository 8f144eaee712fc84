#ifndef TIMETABLE_PLATFORM_FILE_SYSTEM_H_
#define TIMETABLE_PLATFORM_FILE_SYSTEM_H_

#include <cstdint>
#include <cstdio>
#include <string>

// The few file system calls the program's output needs, for paths in UTF-8 on every platform.
// The questions (is..., fileExists) answer false when the system cannot tell. A call that makes
// or changes a file and fails returns false (or null) and says why: in reason, the system's own
// words, where it takes one; openFileForReading in errno; removeFile not at all.

// Whether the path names something that is written directly rather than replaced: a device such
// as a printer port, a pipe, or an open descriptor (descriptorNamedBy).
bool isDeviceOrPipe(const std::string& path);

// The open descriptor of this process that the path names, as /dev/stdout, /dev/stderr,
// /dev/fd/N or /proc/self/fd/N do, itself or through symbolic links; -1 for any other path.
// What is written there goes to what the descriptor is open on, without opening that again.
int descriptorNamedBy(const std::string& path);

// Whether the path names a plain file that this process may write, or nothing yet, in a folder
// where it may create files: neither a device, a pipe nor a folder, nor a link to one.
bool isWritableFileInWritableFolder(const std::string& path);

// Where the path leads through its symbolic links, so that a file put in place there replaces
// a link's target and never the link; the path itself when it is no link.
std::string linkTargetOf(const std::string& path);

bool isFolder(const std::string& path);

// The folder part of the path, with the separator that ends it ("/var/log/" for
// "/var/log/x.log"; Windows takes a backslash as well), so that a name appended to it lies beside
// the path's file. Empty for a bare name, which lies in the working folder.
std::string folderOf(const std::string& path);

// The system's own separator of a path's folders: '/', or Windows' '\\'.
extern const char kPathSeparator;

// The path of name in folder, joined by the system's separator.
std::string pathInFolder(const std::string& folder, const std::string& name);

// The path with its folder spelt out from the working folder, as the system resolves it now, for
// the support log; a device's name (Windows' LPT1) stays as it is.
std::string fullPathOf(const std::string& path);

// Whether anything exists at the path.
bool fileExists(const std::string& path);

// Whether the folder holds an entry of the path's name: a link counts, wherever it leads.
bool entryExists(const std::string& path);
// What the path names now, through its symbolic links: a printer port or another character
// device, a pipe (FIFO), a plain file, nothing, or something else (a folder, a socket).
enum class FileKind { kNothing, kCharacterDevice, kPipe, kPlainFile, kOther };
FileKind fileKindOf(const std::string& path);

// Whether two paths name the same file or device: the same file where it exists (through links
// and however the path is spelt), else the same full path, in the system's own case rules.
bool sameFile(const std::string& a, const std::string& b);

// Opens a file for reading bytes, or returns null with errno set.
std::FILE* openFileForReading(const std::string& path);

// Opens a plain file for reading bytes. Anything else (a folder, a device, a pipe) is refused at
// once, without an open that could wait for a writer: null with notRegular set. Null with errno
// set when the file cannot be opened.
std::FILE* openRegularFileForReading(const std::string& path, bool& notRegular);

// The bytes of a whole file, or why they could not be read.
struct FileBytes {
  std::string bytes;        // At most limit + 1 of them, so that a longer file shows as one.
  int error = 0;            // The system's errno when the file could not be opened or read.
  bool notRegular = false;  // Refused as no plain file (only with regularOnly).
  std::string reason;       // Why the file could not be read, in the user's words.
};

// The system's text of a file error, in the program's own words where the system would speak of
// a directory (a missing file or folder, a path through a file, a folder in a file's place), so
// that a message says "folder" as the program does everywhere; the system's text otherwise.
std::string fileErrorText(int error);

// Why a file that is no plain file is not read: a folder, a device or a pipe in its place.
std::string notRegularFileText();

// Reads the file once, at most limit + 1 bytes whatever size the system reports (a file under
// /proc reports none, a device may never end). With regularOnly only a plain file is read.
FileBytes readFileUpTo(const std::string& path, size_t limit, bool regularOnly);
FileBytes readStreamUpTo(std::FILE* file, size_t limit);

// Standard input, set to give its bytes unchanged (Windows would otherwise turn carriage return
// and line feed into line feed).
std::FILE* standardInputForReading();

// Creates a new, empty file of its own name in the folder of path, open for writing bytes and
// kept from the programs the run starts, and sets createdPath to its path. Its name begins with
// temporaryNameStart of the file's name. It gets the permissions any new file would, or with
// usersAlone the user's alone. Use file_beside.h, which puts it in place.
std::FILE* createFileBeside(const std::string& path, bool usersAlone, std::string& createdPath,
                            std::string& reason);

// Creates a new, empty file in folder (which ends in its separator) named start, then a part no
// one can predict, then end, for the user alone; sets path. It never takes a name that is there,
// a link included, so another user can neither block it nor steer it. False, with the reason,
// when it cannot.
bool createUnpredictableFile(const std::string& folder, const std::string& start,
                             const std::string& end, std::string& path, std::string& reason);

// Writes what the system holds of the file out to the disk. False, with errno, when it fails.
bool syncFile(std::FILE* file);

// The start of the name of a file created beside the file called name: a dot, which keeps it out
// of a listing on Linux, and name, cut at a character boundary to at most 200 bytes so that the few
// characters each platform adds to make it unique never push the name over the system's 255.
std::string temporaryNameStart(const std::string& name);

// Whether a file created beside path may later take its place; true when nothing is there. It
// looks for what would make replaceFile fail although the folder can be written, without
// touching the file: on Linux another user's file in a folder where only owners may remove
// their files, on Windows a read-only file or one another program holds open.
bool mayReplaceFile(const std::string& path, std::string& reason);

// Puts the file at from in the place of the file at to, replacing any file there in one step, and
// syncs the folder's change where the system allows.
bool replaceFile(const std::string& from, const std::string& to, std::string& reason);

void removeFile(const std::string& path);

#endif  // TIMETABLE_PLATFORM_FILE_SYSTEM_H_
