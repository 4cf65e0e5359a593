#include "rule_catalog.h"

#include <array>

namespace zefr::lint {

namespace {

constexpr std::array kRules = {
    RuleInfo{"file-name", "The file name does not end in .INI or is longer than 127 characters", true},
    RuleInfo{"invalid-syntax", "The value is not a number, TRUE/FALSE or MIN/OFF as the key needs", true},
    RuleInfo{"out-of-range", "The value is outside the key's bounds", true},
    RuleInfo{"not-in-list", "The value is not one of the key's allowed values", true},
    RuleInfo{"not-found", "A key the compiler needs is not in the section", true},
    RuleInfo{"input-missing", "A key the compiler needs has no value", true},
    RuleInfo{"not-enabled", "The value names an entity that is not enabled", true},
    RuleInfo{"relation", "The value breaks its order against an earlier key", true},
    RuleInfo{"not-specified", "A key that may be left out is not given; the compiler presumes a value", true},
    RuleInfo{"none-enabled", "No entity of a kind is enabled", true},
    RuleInfo{"no-entities", "No entity of any kind is enabled", true},
    RuleInfo{"processor-abstraction", "A processor temperature monitor gives up the get-temperature abstraction", true},
    RuleInfo{"vccp-nominal", "A processor core voltage monitor has a nominal other than 0", true},
    RuleInfo{"weighted-disabled-response", "A fan controller weighs a temperature response that is not enabled", true},
    RuleInfo{"unknown-section", "A section the compiler never reads (misspelt, or numbered beyond its kind)", false},
    RuleInfo{"unknown-key", "A key the compiler never reads in its section (misspelt, or of another kind)", false},
    RuleInfo{"duplicate-section", "A section given again; the compiler reads only the first", false},
    RuleInfo{"duplicate-key", "A key given again in its section; the compiler reads only the first", false},
    RuleInfo{"truncated-decimal", "A decimal with more places than the compiler keeps", false},
    RuleInfo{"editor-range", "A number the compiler accepts outside the editor's narrower range", false},
    RuleInfo{"unread-key", "A key of a disabled entity, of an unused fan slot or outside any section", false},
};

}  // namespace

std::span<const RuleInfo> Rules() { return kRules; }

int RuleIndex(std::string_view id) {
  for (std::size_t i = 0; i < kRules.size(); ++i)
    if (kRules[i].id == id) return static_cast<int>(i);
  return -1;
}

}  // namespace zefr::lint
