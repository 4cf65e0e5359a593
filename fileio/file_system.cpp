#include "file_system.h"

namespace zefr::files {

bool FileSystem::Replace(const std::string& path, std::string_view bytes, int& error) {
  std::unique_ptr<Replacement> replacement = StartReplace(path, error);
  return replacement && replacement->Commit(bytes, error);
}

}  // namespace zefr::files
