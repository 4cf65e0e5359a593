// Checks that keep other users out of what the editor runs: a folder chain
// nobody else can rearrange, a directory that is still the private one the
// editor made, a file that is still the one it wrote.
#pragma once

#include <sys/types.h>

#include <string>

namespace zefr {

// Which file: the same device and inode stay the same file under any name
// (while it exists: the inode of a removed file can be given to a new one).
struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileId&) const = default;
};

// Empty when nobody but root and this user can rename or replace anything in
// the folder or above it; otherwise why not, naming the folder at fault. The
// path must be absolute and free of links (realpath).
std::string WhyOthersCanChange(const std::string& folder);

// Empty when the path (not followed if it is a link) is the directory `made`,
// owned by this user and closed to everybody else; otherwise why not.
std::string WhyNotPrivateDirectory(const std::string& path, const FileId& made);

// Empty when the path (not followed if it is a link) is the regular file
// `written`, owned by this user and writable by nobody else; otherwise why not.
std::string WhyNotWrittenFile(const std::string& path, const FileId& written);

// The identity of what is at the path, link or not; false when nothing is.
bool IdentityOf(const std::string& path, FileId* id);

}  // namespace zefr
