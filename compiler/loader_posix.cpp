// dlopen stands in for LoadLibraryA. ELF has no export ordinals and no load
// entry that can refuse the load, so libraries of ours export an ordinal
// table: its entries stand for the ordinals and its attach result for the
// load entry's verdict, checked right after dlopen.

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "ZefrComm.h"
#include "loader.h"
#include "win_error.h"

namespace zefr::loader {

const char kLinkLibraryFile[] = "ZefrComm.so";
const char kInstalledLibraryDir[] = ZEFR_INSTALLED_LIBRARY_DIR;

struct Library {
  void* handle = nullptr;
  const ZefrCommOrdinalTable* table = nullptr;
};

namespace {

std::string ProgramDirectory() {
  char path[4096];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  path[n] = '\0';
  char* slash = std::strrchr(path, '/');
  if (slash == nullptr) return {};
  *slash = '\0';
  return path;
}

}  // namespace

Library* Load(const char* fileName) {
  // A file beside the program is the one Windows would take; then the one an
  // install put in its private folder. Failing to load a file found ends the
  // search there too.
  std::string found;
  if (const std::string dir = ProgramDirectory(); !dir.empty()) {
    for (const std::string& candidate :
         {dir + "/" + fileName, dir + "/" + kInstalledLibraryDir + "/" + fileName}) {
      if (::access(candidate.c_str(), F_OK) == 0) {
        found = candidate;
        break;
      }
    }
  }
  void* handle = ::dlopen(found.empty() ? fileName : found.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = ::dlerror();
    const bool missing = found.empty() && (why == nullptr || std::strstr(why, "No such file") != nullptr);
    win::SetLastError(missing ? win::kModNotFound : win::kBadExeFormat);
    return nullptr;
  }
  auto* table = static_cast<const ZefrCommOrdinalTable*>(::dlsym(handle, ZEFRCOMM_ORDINAL_TABLE_SYMBOL));
  if (table != nullptr && table->size >= sizeof(ZefrCommOrdinalTable) && table->attachResult != nullptr) {
    if (std::uint32_t failed = table->attachResult()) {
      ::dlclose(handle);
      win::SetLastError(failed);
      return nullptr;
    }
  } else {
    table = nullptr;  // loads, but binds no ordinal
  }
  return new Library{handle, table};
}

void* EntryByOrdinal(Library* library, unsigned ordinal) {
  const ZefrCommOrdinalTable* t = library != nullptr ? library->table : nullptr;
  if (t == nullptr || ordinal == 0 || ordinal >= t->count || t->entries[ordinal] == nullptr) {
    win::SetLastError(win::kProcNotFound);
    return nullptr;
  }
  return reinterpret_cast<void*>(t->entries[ordinal]);
}

void Free(Library* library) {
  if (library == nullptr) return;
  ::dlclose(library->handle);
  delete library;
}

void AdoptLastError(Library* library) {
  if (library != nullptr && library->table != nullptr && library->table->lastError != nullptr) {
    win::SetLastError(library->table->lastError());
  }
}

}  // namespace zefr::loader
