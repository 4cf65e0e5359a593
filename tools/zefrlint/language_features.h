#pragma once
// What the language server says about a configuration text: its diagnostics,
// hover, completion, definitions, symbols and quick fixes, as LSP JSON.
// Lines and characters are 0-based, as LSP counts them.

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "parameter_schema.h"

namespace zefr::lint {

class LanguageFeatures {
 public:
  LanguageFeatures();

  nlohmann::json Diagnostics(const std::string& text) const;
  // null when there is nothing to say at that place.
  nlohmann::json Hover(const std::string& text, int line, int character) const;
  nlohmann::json Completion(const std::string& text, int line, int character) const;
  nlohmann::json Definition(const std::string& uri, const std::string& text, int line, int character) const;
  nlohmann::json Symbols(const std::string& text) const;
  // The safe fixes of the diagnostics on lines first to last.
  nlohmann::json QuickFixes(const std::string& uri, const std::string& text, int first, int last) const;

 private:
  std::unique_ptr<ParameterSchema> schema_;
};

}  // namespace zefr::lint
