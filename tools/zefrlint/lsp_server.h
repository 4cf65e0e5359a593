#pragma once
// zefrlint --lsp: a language server for configuration files. Diagnostics are
// the checker's and zefrlint's own; hover, completion, definitions, symbols
// and quick fixes come from the field tables and the editor's schema.
// Positions are counted in bytes, which is what LSP's UTF-16 units are for
// the ASCII text these files hold.

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zefr {
class ParameterSchema;
}

namespace zefr::lint {

class LanguageServer {
 public:
  LanguageServer();
  ~LanguageServer();

  // One incoming message (a JSON text); the messages to send back, in order.
  // Never throws: a message that is not JSON-RPC gets an error response.
  std::vector<std::string> Handle(const std::string& body);

  // After "exit": the process ends with ExitCode() (0 when "shutdown" came first).
  bool Exited() const { return exited_; }
  int ExitCode() const { return shutdown_ ? 0 : 1; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool exited_ = false;
  bool shutdown_ = false;
};

// Serves LSP on the two descriptors until "exit" or the end of input; the
// process's exit status.
int ServeLsp(int in, int out);

}  // namespace zefr::lint
