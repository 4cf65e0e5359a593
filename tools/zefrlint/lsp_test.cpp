// The language server as a client meets it: JSON-RPC in, JSON-RPC out, and
// the framing on a pipe, bad messages included.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "lsp_server.h"
#include "lsp_transport.h"

namespace zefr::lint {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

const char kUri[] = "file:///board.ini";

std::string Atx() {
  std::ifstream in(fs::path(ZEFR_SOURCE_DIR) / "editor/res/ZefrCfgATX.ini", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int LineOf(const std::string& text, const std::string& needle) {
  return static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(text.find(needle)), '\n'));
}

class Session : public testing::Test {
 protected:
  std::vector<json> Send(const json& message) {
    std::vector<json> replies;
    for (const std::string& r : server_.Handle(message.dump())) replies.push_back(json::parse(r));
    return replies;
  }
  json Request(const std::string& method, const json& params) {
    const std::vector<json> replies = Send({{"jsonrpc", "2.0"}, {"id", ++id_}, {"method", method}, {"params", params}});
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? json() : replies[0];
  }
  // The diagnostics published for the text.
  json Open(const std::string& text) {
    Request("initialize", json::object());
    const std::vector<json> replies = Send({{"jsonrpc", "2.0"},
                                            {"method", "textDocument/didOpen"},
                                            {"params", {{"textDocument", {{"uri", kUri}, {"version", 1}, {"text", text}}}}}});
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? json() : replies[0]["params"]["diagnostics"];
  }
  json At(const std::string& method, int line, int character) {
    return Request(method, {{"textDocument", {{"uri", kUri}}}, {"position", {{"line", line}, {"character", character}}}})["result"];
  }
  LanguageServer server_;
  int id_ = 0;
};

TEST_F(Session, DiagnosticsFollowTheTextAndClearWhenFixed) {
  std::string text = Atx();
  const std::size_t at = text.find("FanSpeedNominal=2500");
  text.replace(at, 20, "FanSpeedNominal=99999");
  const json diagnostics = Open(text);
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics[0]["severity"], 1);
  EXPECT_EQ(diagnostics[0]["code"], "out-of-range");
  EXPECT_EQ(diagnostics[0]["range"]["start"], json({{"line", LineOf(text, "FanSpeedNominal=99999")}, {"character", 16}}));
  EXPECT_EQ(diagnostics[0]["range"]["end"]["character"], 21);
  const std::vector<json> changed =
      Send({{"jsonrpc", "2.0"},
            {"method", "textDocument/didChange"},
            {"params", {{"textDocument", {{"uri", kUri}, {"version", 2}}}, {"contentChanges", {{{"text", Atx()}}}}}}});
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0]["params"]["diagnostics"], json::array());
  EXPECT_EQ(changed[0]["params"]["version"], 2);
  const std::vector<json> closed =
      Send({{"jsonrpc", "2.0"}, {"method", "textDocument/didClose"}, {"params", {{"textDocument", {{"uri", kUri}}}}}});
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(closed[0]["params"]["diagnostics"], json::array());
}

TEST_F(Session, HoverNamesTheParameterItsRangeAndTheSection) {
  const std::string text = Atx();
  Open(text);
  const std::string key = At("textDocument/hover", LineOf(text, "FanSpeedNominal="), 2)["contents"]["value"];
  EXPECT_NE(key.find("**Nominal Fan Speed** (`FanSpeedNominal` of `[FanMonitor1]`)"), std::string::npos) << key;
  EXPECT_NE(key.find("- The compiler takes: 0 to 30000\n- The editor checks: 0 to 20000"), std::string::npos) << key;
  EXPECT_NE(key.find("- Unit: revolutions per minute"), std::string::npos) << key;
  EXPECT_NE(key.find("- The compiler takes: "), std::string::npos) << key;
  const std::string usage = At("textDocument/hover", LineOf(text, "Usage=1 "), 1)["contents"]["value"];
  EXPECT_NE(usage.find("- Options:"), std::string::npos) << usage;
  const std::string header = At("textDocument/hover", LineOf(text, "[FanMonitor8]"), 3)["contents"]["value"];
  EXPECT_NE(header.find("Not enabled (Enabled=FALSE)"), std::string::npos) << header;
  EXPECT_TRUE(At("textDocument/hover", LineOf(text, "FanSpeedNominal="), 19).is_null());  // on the value
  EXPECT_TRUE(At("textDocument/hover", 0, 0).is_null());  // the comment before the sections
}

TEST_F(Session, CompletionOffersWhatFitsThePlace) {
  std::string text = Atx();
  // A section without its Usage, and a line being typed.
  const std::size_t usage = text.find("Usage=", text.find("[FanMonitor2]"));
  text.replace(usage, text.find('\n', usage) - usage, "");
  Open(text);
  const auto labels = [](const json& items) {
    std::vector<std::string> all;
    for (const json& i : items) all.push_back(i["label"]);
    return all;
  };
  struct Case {
    const char* name;
    int line, character;
    std::vector<std::string> some;  // offered
    std::vector<std::string> not_;  // not offered
  } cases[] = {
      {"KeysNotThere", LineOf(text, "[FanMonitor2]") + 2, 0, {"Usage"}, {"Enabled", "DeviceAddress"}},
      {"Booleans", LineOf(text, "RelativeReadings="), 17, {"TRUE", "FALSE"}, {"NONE"}},
      {"EnabledReferences", LineOf(text, "TemperatureMonitor="), 19, {"1", "6"}, {"7", "12"}},
      {"NoneAndOptions", LineOf(text, "AmbientTemperatureMonitor="), 26, {"NONE"}, {}},
      {"ListValues", LineOf(text, "SpinUpTime="), 11, {"250", "4000"}, {"300"}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> got = labels(At("textDocument/completion", c.line, c.character));
    for (const std::string& s : c.some) EXPECT_NE(std::find(got.begin(), got.end(), s), got.end()) << c.name << " " << s;
    for (const std::string& s : c.not_) EXPECT_EQ(std::find(got.begin(), got.end(), s), got.end()) << c.name << " " << s;
  }
}

TEST_F(Session, SectionNamesAfterABracketSkipThoseThere) {
  std::string text = Atx();
  text.erase(text.find("[FanMonitor8]"), 13);
  text += "[";
  Open(text);
  const json items = At("textDocument/completion", static_cast<int>(std::count(text.begin(), text.end(), '\n')), 1);
  std::vector<std::string> got;
  for (const json& i : items) got.push_back(i["label"]);
  EXPECT_EQ(got, std::vector<std::string>{"FanMonitor8"});
}

TEST_F(Session, DefinitionSymbolsAndQuickFix) {
  std::string text = Atx();
  text.replace(text.find("AccuracyCorrectionSlope="), 23, "AccuracyCorectionSlope");
  Open(text);
  const int reference = LineOf(text, "TemperatureMonitor=");
  const json target = At("textDocument/definition", reference, 20);
  EXPECT_EQ(target["uri"], kUri);
  const std::size_t eq = text.find("TemperatureMonitor=");
  const std::string number = text.substr(eq + 19, text.find_first_of(" \n", eq + 19) - eq - 19);
  EXPECT_EQ(target["range"]["start"]["line"], LineOf(text, "[TemperatureMonitor" + number + "]"));

  const json symbols = Request("textDocument/documentSymbol", {{"textDocument", {{"uri", kUri}}}})["result"];
  EXPECT_EQ(symbols.size(), 48u);
  EXPECT_EQ(symbols[0]["name"], "TemperatureMonitor1");
  EXPECT_EQ(symbols[0]["children"][0]["name"], "Enabled");

  const int typo = LineOf(text, "AccuracyCorectionSlope");
  const json actions = Request("textDocument/codeAction", {{"textDocument", {{"uri", kUri}}},
                                                          {"range", {{"start", {{"line", typo}, {"character", 0}}},
                                                                     {"end", {{"line", typo}, {"character", 0}}}}},
                                                          {"context", {{"diagnostics", json::array()}}}})["result"];
  ASSERT_EQ(actions.size(), 1u);
  const json& edit = actions[0]["edit"]["changes"][kUri][0];
  EXPECT_EQ(edit["newText"], "AccuracyCorrectionSlope");
  EXPECT_EQ(edit["range"]["start"], json({{"line", typo}, {"character", 0}}));
  EXPECT_EQ(edit["range"]["end"], json({{"line", typo}, {"character", 22}}));
}

TEST_F(Session, BadMessagesGetErrorsAndTheLifecycleHolds) {
  struct Case {
    std::string body;
    int code;
  } cases[] = {
      {"{not json", -32700},
      {"[1,2]", -32600},
      {R"({"jsonrpc":"2.0","id":1,"method":"textDocument/hover","params":{}})", -32002},  // before initialize
  };
  for (const Case& c : cases) {
    const std::vector<std::string> replies = server_.Handle(c.body);
    ASSERT_EQ(replies.size(), 1u) << c.body;
    EXPECT_EQ(json::parse(replies[0])["error"]["code"], c.code) << c.body;
  }
  Request("initialize", json::object());
  EXPECT_EQ(Request("no/such", json::object())["error"]["code"], -32601);
  EXPECT_EQ(Request("textDocument/hover", {{"textDocument", 3}})["error"]["code"], -32602);
  EXPECT_EQ(Request("textDocument/hover", {{"textDocument", {{"uri", "file:///not-open.ini"}}},
                                           {"position", {{"line", 0}, {"character", 0}}}})["error"]["code"],
            -32602);
  EXPECT_TRUE(server_.Handle(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{}})").empty());
  EXPECT_TRUE(Request("shutdown", nullptr)["result"].is_null());
  EXPECT_EQ(Request("textDocument/hover", json::object())["error"]["code"], -32600);
  EXPECT_FALSE(server_.Exited());
  server_.Handle(R"({"jsonrpc":"2.0","method":"exit"})");
  EXPECT_TRUE(server_.Exited());
  EXPECT_EQ(server_.ExitCode(), 0);
}

TEST(LspTransport, FramesOnAPipe) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::thread writer([w = fds[1]] {
    const std::string big(kMaxMessageBytes + 1, ' ');
    WriteMessage(w, "{\"a\":1}");
    const std::string bad = "X-Other: 1\r\n\r\n";
    (void)!write(w, bad.data(), bad.size());
    WriteMessage(w, big);  // skipped whole, never kept
    const std::string twoHeaders = "Content-Type: x\r\ncontent-length: 2\r\n\r\n{}";
    (void)!write(w, twoHeaders.data(), twoHeaders.size());
    close(w);
  });
  MessageReader reader(fds[0]);
  std::string body, error;
  EXPECT_EQ(reader.Read(&body, &error), ReadResult::kMessage);
  EXPECT_EQ(body, "{\"a\":1}");
  EXPECT_EQ(reader.Read(&body, &error), ReadResult::kBadFrame);
  EXPECT_EQ(error, "no Content-Length header");
  EXPECT_EQ(reader.Read(&body, &error), ReadResult::kBadFrame);
  EXPECT_NE(error.find("is larger than"), std::string::npos);
  EXPECT_EQ(reader.Read(&body, &error), ReadResult::kMessage);
  EXPECT_EQ(body, "{}");
  EXPECT_EQ(reader.Read(&body, &error), ReadResult::kEnd);
  writer.join();
  close(fds[0]);
}

}  // namespace
}  // namespace zefr::lint
