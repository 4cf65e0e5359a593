#include "folder_checks.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zefr {
namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Empty when lstat found the path; otherwise why not.
std::string Look(const std::string& path, struct stat* st) {
  if (::lstat(path.c_str(), st) == 0) return {};
  return Quoted(path) + ": " + std::strerror(errno);
}

}  // namespace

std::string WhyOthersCanChange(const std::string& folder) {
  std::string at = folder;
  for (;;) {
    struct stat st;
    if (std::string why = Look(at, &st); !why.empty()) return why;
    if (!S_ISDIR(st.st_mode)) return Quoted(at) + " is not a folder";
    // Its owner could rename what is in it.
    if (st.st_uid != 0 && st.st_uid != ::geteuid()) return Quoted(at) + " belongs to another user";
    // Without the sticky bit, whoever may write a folder may rename what others made in it.
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0)
      return Quoted(at) + " can be written by others and has no sticky bit";
    const std::size_t slash = at.rfind('/');
    if (at == "/" || slash == std::string::npos) return {};
    at = slash == 0 ? "/" : at.substr(0, slash);
  }
}

std::string WhyNotPrivateDirectory(const std::string& path, const FileId& made) {
  struct stat st;
  if (std::string why = Look(path, &st); !why.empty()) return why;
  if (!S_ISDIR(st.st_mode)) return Quoted(path) + " is no longer a directory";
  if (FileId{st.st_dev, st.st_ino} != made) return Quoted(path) + " was replaced";
  if (st.st_uid != ::geteuid()) return Quoted(path) + " belongs to another user";
  if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) return Quoted(path) + " is open to others";
  return {};
}

std::string WhyNotWrittenFile(const std::string& path, const FileId& written) {
  struct stat st;
  if (std::string why = Look(path, &st); !why.empty()) return why;
  if (!S_ISREG(st.st_mode) || FileId{st.st_dev, st.st_ino} != written)
    return Quoted(path) + " was replaced";
  if (st.st_uid != ::geteuid()) return Quoted(path) + " belongs to another user";
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return Quoted(path) + " can be written by others";
  return {};
}

bool IdentityOf(const std::string& path, FileId* id) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return false;
  *id = {st.st_dev, st.st_ino};
  return true;
}

}  // namespace zefr
