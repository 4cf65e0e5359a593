#pragma once
// Runs a test body with an ordinary user's rights, so that the checks of a
// refused access also run in a suite started as root (as in CI).

#include <functional>
#include <string>

namespace zefr::test {

// Not root: runs body here. Root: hands the folder dir (not what it already
// holds) to nobody/nogroup and runs body in a child process that has dropped
// to that user; each assertion of the child that fails (or skips) is reported
// here at its own file and line, as is a child that dies or takes over 60 s.
void RunAsOrdinaryUser(const std::string& dir, const std::function<void()>& body);

}  // namespace zefr::test
