#pragma once
// The two steps of replacing a file safely: write a temporary beside it, flush that to the
// disk, then move it over the old one in one step. Paths are UTF-8.
#include <string>

namespace plat {

// Flushes the file's data to the disk; true on success.
bool syncFile(const std::string& path);

// Flushes the folder entry of `path` (its name in its folder) to the disk, so a rename or a
// new link there survives a power cut; true on success, and always where the system keeps
// names durable itself.
bool syncFolderOf(const std::string& path);

// Moves `from` over `to` in one step, replacing `to` if it exists; true on success.
bool replaceFile(const std::string& from, const std::string& to);

// Moves `from` to `to` in one step only while nothing stands at `to`: a file, folder or link
// there is left as it is and fails the call. True on success.
bool moveFileNoOverwrite(const std::string& from, const std::string& to);

// The whole of a file written safely: the bytes go to path + ".tmp", made afresh there
// (writeFreshFile: nothing already at that name is followed or opened) and flushed to the
// disk, which then replaces the file in one step. The file holds its old content or the new,
// never a part; false (and no temporary left) when a step fails.
bool writeFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace plat
