#pragma once
// Every rule id a diagnostic can carry, with what it means, for tools that
// list the rules (SARIF) and for people reading them.

#include <span>
#include <string_view>

namespace zefr::lint {

struct RuleInfo {
  std::string_view id;
  std::string_view summary;
  bool fromCompiler;  // the compiler reports it too; otherwise zefrlint alone
};

std::span<const RuleInfo> Rules();

// Position of id in Rules(), or -1.
int RuleIndex(std::string_view id);

}  // namespace zefr::lint
