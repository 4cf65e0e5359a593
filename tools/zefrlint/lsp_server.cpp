#include "lsp_server.h"

#include <csignal>
#include <nlohmann/json.hpp>

#include "language_features.h"
#include "lsp_transport.h"

#ifndef ZEFR_VERSION
#define ZEFR_VERSION "unknown"
#endif

namespace zefr::lint {

namespace {

using nlohmann::json;

// JSON-RPC and LSP error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kServerNotInitialized = -32002;

std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

std::string Error(const json& id, int code, const std::string& message) {
  return Dump({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

std::string Result(const json& id, const json& result) {
  return Dump({{"jsonrpc", "2.0"}, {"id", id}, {"result", result}});
}

json Capabilities() {
  return {{"textDocumentSync", {{"openClose", true}, {"change", 1}}},
          {"hoverProvider", true},
          {"completionProvider", {{"triggerCharacters", json::array({"[", "="})}}},
          {"definitionProvider", true},
          {"documentSymbolProvider", true},
          {"codeActionProvider", {{"codeActionKinds", json::array({"quickfix"})}}}};
}

}  // namespace

struct LanguageServer::Impl {
  LanguageFeatures features;
  std::map<std::string, std::string> documents;  // uri -> text
  bool initialized = false;

  std::string Publish(const std::string& uri, const json& version) {
    json params = {{"uri", uri}, {"diagnostics", json::array()}};
    if (auto it = documents.find(uri); it != documents.end()) params["diagnostics"] = features.Diagnostics(it->second);
    if (!version.is_null()) params["version"] = version;
    return Dump({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", params}});
  }

  const std::string* Text(const json& params) const {
    auto it = documents.find(params.at("textDocument").at("uri").get<std::string>());
    return it == documents.end() ? nullptr : &it->second;
  }
};

LanguageServer::LanguageServer() : impl_(std::make_unique<Impl>()) {}
LanguageServer::~LanguageServer() = default;

std::vector<std::string> LanguageServer::Handle(const std::string& body) {
  std::vector<std::string> out;
  json message;
  try {
    message = json::parse(body);
  } catch (const json::exception& e) {
    out.push_back(Error(nullptr, kParseError, std::string("not JSON: ") + e.what()));
    return out;
  }
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
    const json id = message.is_object() && message.contains("id") ? message["id"] : json(nullptr);
    // A response to something we never asked is dropped; anything else is refused.
    if (!(message.is_object() && (message.contains("result") || message.contains("error"))))
      out.push_back(Error(id, kInvalidRequest, "not a JSON-RPC request or notification"));
    return out;
  }
  const std::string method = message["method"].get<std::string>();
  const bool request = message.contains("id");
  const json id = request ? message["id"] : json(nullptr);
  const json params = message.contains("params") ? message["params"] : json::object();
  Impl& s = *impl_;

  try {
    if (method == "exit") {
      exited_ = true;
      return out;
    }
    if (method == "initialize") {
      s.initialized = true;
      out.push_back(Result(id, {{"capabilities", Capabilities()},
                                {"serverInfo", {{"name", "zefrlint"}, {"version", ZEFR_VERSION}}}}));
      return out;
    }
    if (!s.initialized) {
      if (request) out.push_back(Error(id, kServerNotInitialized, "initialize first"));
      return out;
    }
    if (shutdown_) {
      if (request) out.push_back(Error(id, kInvalidRequest, "the server is shutting down"));
      return out;
    }
    if (method == "shutdown") {
      shutdown_ = true;
      out.push_back(Result(id, nullptr));
    } else if (method == "textDocument/didOpen") {
      const json& doc = params.at("textDocument");
      const std::string uri = doc.at("uri").get<std::string>();
      s.documents[uri] = doc.at("text").get<std::string>();
      out.push_back(s.Publish(uri, doc.value("version", json(nullptr))));
    } else if (method == "textDocument/didChange") {
      const json& doc = params.at("textDocument");
      const std::string uri = doc.at("uri").get<std::string>();
      const json& changes = params.at("contentChanges");
      // Whole-text changes only (the sync kind announced): the last one counts.
      if (!changes.empty() && s.documents.count(uri)) {
        s.documents[uri] = changes.back().at("text").get<std::string>();
        out.push_back(s.Publish(uri, doc.value("version", json(nullptr))));
      }
    } else if (method == "textDocument/didClose") {
      const std::string uri = params.at("textDocument").at("uri").get<std::string>();
      s.documents.erase(uri);
      out.push_back(s.Publish(uri, nullptr));
    } else if (method == "textDocument/hover" || method == "textDocument/completion" ||
               method == "textDocument/definition" || method == "textDocument/documentSymbol" ||
               method == "textDocument/codeAction") {
      const std::string uri = params.at("textDocument").at("uri").get<std::string>();
      const std::string* text = s.Text(params);
      if (!text) {
        out.push_back(Error(id, kInvalidParams, "the document is not open: " + uri));
        return out;
      }
      json result;
      if (method == "textDocument/documentSymbol") {
        result = s.features.Symbols(*text);
      } else if (method == "textDocument/codeAction") {
        const json& range = params.at("range");
        result = s.features.QuickFixes(uri, *text, range.at("start").at("line").get<int>(),
                                       range.at("end").at("line").get<int>());
      } else {
        const int line = params.at("position").at("line").get<int>();
        const int character = params.at("position").at("character").get<int>();
        if (method == "textDocument/hover") result = s.features.Hover(*text, line, character);
        if (method == "textDocument/completion") result = s.features.Completion(*text, line, character);
        if (method == "textDocument/definition") result = s.features.Definition(uri, *text, line, character);
      }
      out.push_back(Result(id, result));
    } else if (request) {
      out.push_back(Error(id, kMethodNotFound, "unknown method: " + method));
    }
  } catch (const json::exception& e) {
    if (request) out.push_back(Error(id, kInvalidParams, std::string("bad parameters: ") + e.what()));
  }
  return out;
}

int ServeLsp(int in, int out) {
  // A client that goes away ends the server through the write's error.
  std::signal(SIGPIPE, SIG_IGN);
  LanguageServer server;
  MessageReader reader(in);
  for (;;) {
    std::string body, error;
    const ReadResult r = reader.Read(&body, &error);
    if (r == ReadResult::kEnd) return 1;  // input ended without "exit"
    std::vector<std::string> replies;
    if (r == ReadResult::kBadFrame)
      replies.push_back(Error(nullptr, kInvalidRequest, error));
    else
      replies = server.Handle(body);
    for (const std::string& reply : replies)
      if (!WriteMessage(out, reply)) return 1;
    if (server.Exited()) return server.ExitCode();
  }
}

}  // namespace zefr::lint
