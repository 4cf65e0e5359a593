// Any bytes as an INI file opened and saved by the editor's document: the
// save keeps every line that is not one of the configuration's own keys, in
// order, byte for byte; a failed save leaves the file as it was; and saving
// what was just saved changes nothing. One input in eight then also starts a
// new configuration, which must leave exactly the state of a fresh one.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ConfigurationDocument.h"
#include "MemoryRows.h"
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

// Building the schema and its 1009 rows, and New (refreshing and checking
// every parameter), cost far more than a load and a save. So there is one
// model per form factor, built once; the state after New is kept, and each
// load starts from a copy of it. The model is put back after each input,
// so that an input leaves no allocations behind (libFuzzer would take them
// for a leak and check again).
class Editor {
 public:
  explicit Editor(zefr::FormFactor formFactor) {
    for (const zefr::ParameterId id : schema_.DisplayOrder()) {
      if (const auto* d = schema_.Descriptor(id)) rows_.Create(*d);
      doc_->InitRow(id);
    }
    doc_->StartUp();
    doc_->SetFormFactor(formFactor);
    doc_->ResetToDefaults();
    afterNew_ = std::make_unique<Saved>(schema_, rows_, *doc_);
  }

  zefr::ConfigurationDocument& Doc() { return *doc_; }

  // Puts back the state New left: the document's own, its rows and what it
  // changes in the schema (option texts, bad-data options).
  void StartFromNew() {
    const Saved& s = *afterNew_;
    for (const zefr::ParameterId id : schema_.DisplayOrder()) {
      schema_.RemoveExtraOption(id);
      const auto& now = schema_.Descriptor(id)->options;
      const auto& then = s.schema.Descriptor(id)->options;
      for (std::size_t i = 0; i < now.size(); ++i)
        if (now[i].display != then[i].display) schema_.SetOptionDisplay(id, static_cast<int>(i), then[i].display);
    }
    rows_ = s.rows;
    *doc_ = s.doc;  // in place: its tables stay allocated
  }

  // New itself, from whatever state the last load left: the same state,
  // option lookups included.
  bool NewGivesTheSavedState() {
    doc_->ResetToDefaults();
    Saved& s = *afterNew_;
    for (int kind = 0; kind < zefr::ParameterSchema::kKindCount; ++kind)
      if (doc_->EnabledMask(kind) != s.doc.EnabledMask(kind)) return false;
    for (const zefr::ParameterId id : schema_.DisplayOrder()) {
      if (doc_->StateWord(id) != s.doc.StateWord(id) || doc_->Baseline(id) != s.doc.Baseline(id) ||
          schema_.ExtraOption(id) != nullptr || !SameOptions(*schema_.Descriptor(id), *s.schema.Descriptor(id)))
        return false;
      zefr::MemoryRow* row = rows_.Find(id);
      const zefr::MemoryRow* was = s.rows.Find(id);
      if ((row == nullptr) != (was == nullptr) || (row != nullptr && !SameRow(*row, *was))) return false;
    }
    return true;
  }

 private:
  struct Saved {
    Saved(const zefr::ParameterSchema& s, const zefr::MemoryRows& r, const zefr::ConfigurationDocument& d)
        : schema(s), rows(r), doc(d) {}
    zefr::ParameterSchema schema;
    zefr::MemoryRows rows;
    // A copy of the live document, so it refers to the live schema and rows.
    zefr::ConfigurationDocument doc;
  };

  bool SameOptions(const zefr::ParameterDescriptor& a, const zefr::ParameterDescriptor& b) const {
    if (a.options.size() != b.options.size()) return false;
    for (std::size_t i = 0; i < a.options.size(); ++i) {
      const zefr::ParameterOption& o = a.options[i];
      if (o.stored != b.options[i].stored || o.display != b.options[i].display) return false;
      if (schema_.OptionOfDisplay(a.id, o.display) != static_cast<int>(i)) return false;
    }
    return true;
  }

  static bool SameRow(const zefr::MemoryRow& a, const zefr::MemoryRow& b) {
    if (a.RowKind() != b.RowKind() || a.Text() != b.Text() || a.Count() != b.Count() ||
        a.Selected() != b.Selected() || a.Label() != b.Label() || a.Help() != b.Help() ||
        a.Message() != b.Message() || a.ReadOnly() != b.ReadOnly() ||
        a.LabelBackground() != b.LabelBackground() || a.GreyText() != b.GreyText())
      return false;
    for (int i = 0; i < a.Count(); ++i)
      if (a.ItemText(i) != b.ItemText(i) || a.ItemData(i) != b.ItemData(i)) return false;
    return true;
  }

  zefr::ParameterSchema schema_;
  zefr::MemoryRows rows_;
  std::unique_ptr<zefr::ConfigurationDocument> doc_ = std::make_unique<zefr::ConfigurationDocument>(schema_, rows_);
  std::unique_ptr<Saved> afterNew_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string original(reinterpret_cast<const char*>(data), size);
  const std::string& path = Scratch();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << original;

  static const std::array<std::unique_ptr<Editor>, 3> editors = {
      std::make_unique<Editor>(zefr::FormFactor(0)), std::make_unique<Editor>(zefr::FormFactor(1)),
      std::make_unique<Editor>(zefr::FormFactor(2))};
  // The first byte picks the form factor, as New would have, and every
  // eighth value of it a New after the saves.
  const unsigned first = size > 0 ? data[0] : 0;
  Editor& e = *editors[first % 3];
  struct Restore {
    Editor& e;
    ~Restore() { e.StartFromNew(); }
  } restore{e};

  e.Doc().Load(path);
  std::string error;
  if (!e.Doc().Write(path, zefr::WriteMode::Save, &error)) {
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
  e.StartFromNew();
  e.Doc().Load(path);
  Check(e.Doc().Write(path, zefr::WriteMode::Save, &error));
  Check(Slurp(path) == saved);

  if (first / 3 % 8 == 0) Check(e.NewGivesTheSavedState());
  return 0;
}
