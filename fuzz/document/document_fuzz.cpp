// Any bytes as an INI file opened and saved by the editor's document: the
// save keeps every line that is not one of the configuration's own keys, in
// order, byte for byte; a failed save leaves the file as it was; and saving
// what was just saved changes nothing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "configuration_document.h"
#include "memory_rows.h"
#include "parameter_schema.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

// Lowered names of every key the document reads and writes.
const std::set<std::string>& SchemaKeys() {
  static const std::set<std::string> keys = [] {
    std::set<std::string> k;
    zefr::ParameterSchema schema;
    for (const zefr::ParameterId id : schema.DisplayOrder())
      if (const auto* d = schema.Descriptor(id); d != nullptr && d->Has(zefr::attr::kIniKey)) k.insert(Lower(d->key));
    return k;
  }();
  return keys;
}

// A line the document may rewrite: a key line whose name is one of its keys.
bool Rewritable(std::string_view line) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return false;
  const std::size_t eq = t.find('=');
  return eq != std::string_view::npos && SchemaKeys().count(Lower(Trim(t.substr(0, eq)))) != 0;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// In memory where there is such a file system: every save syncs the file to disk.
char g_dir[64];

const std::string& Scratch() {
  static const std::string path = [] {
    std::strcpy(g_dir, ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/zefr_document_fuzz_XXXXXX"
                                                         : "/tmp/zefr_document_fuzz_XXXXXX");
    Check(::mkdtemp(g_dir) != nullptr);
    std::atexit([] {
      ::unlink((std::string(g_dir) + "/cfg.ini").c_str());
      ::rmdir(g_dir);
    });
    return std::string(g_dir) + "/cfg.ini";
  }();
  return path;
}

// Building the schema and its 1009 rows costs far more than a load and a
// save, so one document serves every input; each starts from the defaults.
struct Editor {
  zefr::ParameterSchema schema;
  zefr::MemoryRows rows;
  zefr::ConfigurationDocument doc{schema, rows};
  Editor() {
    for (const zefr::ParameterId id : schema.DisplayOrder()) {
      if (const auto* d = schema.Descriptor(id)) rows.Create(*d);
      doc.InitRow(id);
    }
    doc.StartUp();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string original(reinterpret_cast<const char*>(data), size);
  const std::string& path = Scratch();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << original;

  static Editor e;
  // The first byte picks the form factor, as New would have.
  e.doc.SetFormFactor(static_cast<zefr::FormFactor>(size > 0 ? data[0] % 3 : 0));
  e.doc.ResetToDefaults();
  e.doc.Load(path);
  std::string error;
  if (!e.doc.Write(path, zefr::WriteMode::Save, &error)) {
    Check(!error.empty());
    Check(Slurp(path) == original);
    return 0;
  }
  const std::string saved = Slurp(path);

  // Every other line survives, in order.
  const std::vector<std::string> after = Lines(saved);
  std::size_t next = 0;
  for (const std::string& line : Lines(original)) {
    if (Rewritable(line)) continue;
    while (next < after.size() && after[next] != line) ++next;
    Check(next < after.size());
    ++next;
  }

  // What was saved loads and saves to itself.
  e.doc.ResetToDefaults();
  e.doc.Load(path);
  Check(e.doc.Write(path, zefr::WriteMode::Save, &error));
  Check(Slurp(path) == saved);
  return 0;
}
