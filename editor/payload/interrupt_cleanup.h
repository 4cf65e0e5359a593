// Temporary files that must not outlive the editor when a signal ends it:
// on hang-up, interrupt, quit, terminate or abort the handler removes the
// watched files and then their directory (when that is empty), and the
// signal goes on to do what it did before.
#pragma once

#include <string>
#include <vector>

namespace zefr {

// Watches these files of the directory until Unwatch; -1 when every slot is
// taken or a path is too long (the files are then only removed as usual).
int WatchOnInterrupt(const std::string& directory, const std::vector<std::string>& names);
void Unwatch(int slot);

}  // namespace zefr
