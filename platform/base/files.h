#pragma once
// Files and folders by path. Paths are UTF-8 and may be written Windows-style (backslashes,
// any letter case, as the store files and the registry give them): on Linux every call here
// first maps such a path onto the real file with resolvePath. The calls that create, write or
// remove a file look up only its folder that way: the name itself is taken exactly as written,
// so they never land on another file whose name differs from it in case. Moving a file over
// another is replaceFile in platform/base/atomic_file.h.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// The host path of a path that may be Windows-style. On Linux: backslashes become slashes
// and each component that does not exist as written is matched without regard to ASCII
// letter case against its folder's entries (an exact match wins; among several that differ
// only in case the first in byte order). A path starting with a drive ("C:") has no host
// form on Linux and gives "" (every call below then fails). Elsewhere the path as it is.
std::string resolvePath(const std::string& path);

struct FileEntry {
    std::string name;  // the entry's own name, without its folder
    bool isFolder = false;
};

// The entries of a folder matching a pattern "folder\name" whose last component may hold
// the wildcards '*' and '?' (compared without regard to ASCII letter case, as Windows
// does). "." and ".." are never listed; entries come in case-insensitive name order so a
// scan is repeatable. A missing folder gives an empty list.
std::vector<FileEntry> findFiles(const std::string& pattern);

// The wildcard rule of findFiles on one name.
bool matchesPattern(const std::string& name, const std::string& pattern);

// Puts entries in findFiles' order: by name without regard to ASCII letter case, then by
// the name's bytes.
void sortFileEntries(std::vector<FileEntry>& entries);

struct FileAttributes {
    bool isFolder = false;
    bool isFile = false;  // a regular file: no folder, FIFO, device or socket
    uint64_t size = 0;
    int64_t lastWriteTime = 0;  // nanoseconds since 1970-01-01 UTC
};

// True when the path names an existing file or folder (following links); fills *out.
bool fileAttributes(const std::string& path, FileAttributes* out = nullptr);

// Copies a file to a path that must not exist yet (an existing file, folder or link there
// is never overwritten). The copy is flushed to the disk; a copy that fails part-way is
// removed again, but a kill during it leaves part of it. True on success.
bool copyFileNoOverwrite(const std::string& from, const std::string& to);

// Removes the file of this name (not a folder; on Linux never another one whose name differs
// from it in case); true when it was removed.
bool deleteFile(const std::string& path);

// Writes bytes as the whole content of a file, creating or truncating it, then flushes it
// to the disk and closes it. False when any step fails (the file may then hold anything).
bool writeWholeFile(const std::string& path, const std::string& bytes);

// Writes bytes as the whole content of a file made afresh at `path`, for a temporary file
// that is then moved into place. Whatever stands at that name first (a file left by a
// crash, a link, a FIFO) is removed, never opened or followed, and the new file is created
// only if nothing has taken the name since; a folder there is left alone and fails the
// call. The file is flushed to the disk and closed; false when any step fails, and then a
// file this call made is removed again.
bool writeFreshFile(const std::string& path, const std::string& bytes);

// Adds bytes at the end of a file, creating the file when it is missing. All of them or
// none: a write that stops part-way (a full disk) takes back the bytes it wrote while they
// are still the end of the file; a file this call created is left empty. A row another
// writer added meanwhile is never removed: appends take turns through a lock on the file
// (Linux: an exclusive flock; Windows: a byte far past the end), and bytes another writer
// has added after ours keep ours in.
// Only a regular file is written: a folder, a FIFO or a device fails the call, which waits
// for nothing but another append's turn. True when every byte is there.
bool appendToFile(const std::string& path, const std::string& bytes);

// Creates a new empty file with a unique name in a folder ("" for the system's temporary
// folder) and returns its path; "" on failure.
std::string makeTempFile(const std::string& folder, const std::string& prefix);

enum class ReadResult {
    Ok,         // the whole file is in the text
    Truncated,  // the file is longer than the cap; the text holds its first cap bytes
    Failed,     // it did not open or a read failed; the text is empty
};

// Reads a file's bytes as they are (no newline translation), at most maxBytes of them.
// Only a regular file is read: a folder, a FIFO or a device is Failed, and the call never
// waits for one to open (a FIFO where a file was expected would otherwise block for ever).
ReadResult readFileCapped(const std::string& path, size_t maxBytes, std::string& text);

}  // namespace plat
