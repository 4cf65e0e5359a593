#include "interrupt_cleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace zefr {
namespace {

constexpr int kSlots = 8;
constexpr int kFiles = 3;
constexpr int kSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGABRT};

// Filled before `used` is set, read by the handler only while it is set, so
// the handler needs nothing but these fixed arrays.
struct Slot {
  std::atomic<bool> used{false};
  char directory[PATH_MAX];
  char files[kFiles][PATH_MAX];
};
Slot g_slots[kSlots];
struct sigaction g_before[NSIG];

extern "C" void RemoveWatchedFiles(int signal) {
  const int saved = errno;
  for (Slot& slot : g_slots) {
    if (!slot.used.load()) continue;
    for (const char* file : slot.files)
      if (file[0] != '\0') ::unlink(file);
    ::rmdir(slot.directory);
  }
  // Pending until this handler returns, then handled as before.
  ::sigaction(signal, &g_before[signal], nullptr);
  ::raise(signal);
  errno = saved;
}

void InstallOnce() {
  static const bool installed = [] {
    for (const int signal : kSignals) {
      struct sigaction before;
      if (::sigaction(signal, nullptr, &before) != 0 || before.sa_handler == SIG_IGN) continue;
      struct sigaction action {};
      action.sa_handler = RemoveWatchedFiles;
      sigemptyset(&action.sa_mask);
      if (::sigaction(signal, &action, &g_before[signal]) != 0) g_before[signal] = before;
    }
    return true;
  }();
  (void)installed;
}

bool CopyPath(char (&to)[PATH_MAX], const std::string& from) {
  if (from.size() >= PATH_MAX) return false;
  std::memcpy(to, from.c_str(), from.size() + 1);
  return true;
}

}  // namespace

int WatchOnInterrupt(const std::string& directory, const std::vector<std::string>& names) {
  if (names.size() > kFiles) return -1;
  InstallOnce();
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = g_slots[i];
    if (slot.used.load()) continue;
    bool fits = CopyPath(slot.directory, directory);
    for (int f = 0; f < kFiles; ++f)
      fits = fits && CopyPath(slot.files[f], f < int(names.size()) ? directory + "/" + names[f] : std::string());
    if (!fits) return -1;
    slot.used.store(true);
    return i;
  }
  return -1;
}

void Unwatch(int slot) {
  if (slot >= 0 && slot < kSlots) g_slots[slot].used.store(false);
}

}  // namespace zefr
