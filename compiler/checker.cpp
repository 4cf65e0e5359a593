#include "checker.h"

#include <array>
#include <optional>

#include "field_codec.h"
#include "field_table.h"
#include "rules.h"
#include "value_text.h"

namespace zefr {

namespace {

using format::FieldRow;
using format::KindTable;

constexpr CheckStage kStages[] = {
    {payload::Kind::kFanMonitor, "  Parsing Fan Monitors...", "No Fan Monitors Enabled"},
    {payload::Kind::kFanController, "  Parsing Fan Controllers...", "No Fan Controllers Enabled"},
    {payload::Kind::kTemperatureMonitor, "  Parsing Temperature Monitors...", "No Temperature Monitors Enabled"},
    {payload::Kind::kTemperatureResponse, "  Parsing Temperature Responses...",
     "No Temperature Response Units Enabled"},
    {payload::Kind::kVoltageMonitor, "  Parsing Voltage Monitors...", "No Voltage Monitors Enabled"},
};
static_assert(std::size(kStages) == kFinalStage);

constexpr std::size_t kMaxFields = format::fan_controller_field::kCount;
constexpr int kMaxEntities = 12;

// "FanController3": built in place, as the operator+ of a literal trips a
// false overlap warning in one cross-compiler.
std::string SectionName(const payload::KindLayout& kind, int number) {
  std::string name(kind.section);
  name += std::to_string(number);
  return name;
}

const char* RuleOf(format::Verdict v) {
  switch (v) {
    case format::Verdict::kOutOfRange: return "out-of-range";
    case format::Verdict::kInvalidValue: return "not-in-list";
    default: return "invalid-syntax";
  }
}

class Checker {
 public:
  Checker(const ProfileFile& file, CheckResult& result) : file_(file), result_(result) {}

  void Run() {
    result_.image.Clear();
    int total = 0;
    for (int stage = 0; stage < kFinalStage; ++stage) {
      stage_ = stage;
      const KindTable& table = *format::TableOf(kStages[stage].kind);
      int enabled = 0;
      for (int n = 1; n <= table.layout.count; ++n) CheckEntity(table, n, enabled);
      if (enabled == 0)
        Report(Severity::kWarning, false, "", "", kStages[stage].noneEnabled, "none-enabled", TextSpot{});
      total += enabled;
    }
    stage_ = kFinalStage;
    if (total == 0)
      Report(Severity::kError, true, "", "", "No Entities Enabled; Not valid INI file", "no-entities", TextSpot{});
    result_.accepted = !refused_;
    if (result_.accepted) result_.image.WriteHeader();
  }

 private:
  struct Entity {
    std::string section;
    std::size_t record = 0;
    std::array<std::optional<std::int32_t>, kMaxFields> values{};
    std::array<TextSpot, kMaxFields> spots{};
  };

  void Report(Severity severity, bool refuses, const std::string& section, const std::string& key,
              const char* message, const char* rule, const TextSpot& spot) {
    Diagnostic d;
    d.severity = severity;
    d.refuses = refuses;
    d.stage = stage_;
    d.section = section;
    d.key = key;
    d.message = message;
    d.rule = rule;
    d.spot = spot;
    result_.diagnostics.push_back(std::move(d));
    refused_ = refused_ || refuses;
  }
  void Error(const Entity& e, const FieldRow& row, const char* message, const char* rule, const TextSpot& spot) {
    Report(Severity::kError, true, e.section, row.key, message, rule, spot);
  }

  // Enabled: true, false, or nullopt when refused (it then counts as enabled).
  std::optional<bool> ReadEnabled(const KindTable& table, Entity& e) {
    const FieldRow& row = table.fields[0];
    std::string text;
    TextSpot spot;
    if (!file_.Lookup(e.section, row.key, text, kValueCapacity, &spot) || text.empty()) {
      Report(Severity::kWarning, false, e.section, row.key, row.absentMessage, "not-specified", spot);
      return false;
    }
    std::int32_t v = 0;
    const format::Verdict verdict = format::ReadBooleanText(text, v);
    if (verdict != format::Verdict::kOk) {
      Error(e, row, format::VerdictText(verdict), RuleOf(verdict), spot);
      return std::nullopt;
    }
    return v != 0;
  }

  void CheckEntity(const KindTable& table, int number, int& enabledCount) {
    Entity e;
    e.section = SectionName(table.layout, number);
    e.record = payload::RecordOffset(table.layout, number);
    const std::optional<bool> enabled = ReadEnabled(table, e);
    if (enabled) {
      result_.image.Put16(e.record + payload::record::kHeader, payload::RecordHeaderWord(table.layout, number, *enabled));
      result_.image.Put8(e.record + payload::record::kUsage, 0);
    }
    const bool counts = enabled.value_or(true);
    Referable(table.layout.kind)[static_cast<std::size_t>(number - 1)] = counts;
    if (!counts) {
      if (table.layout.kind == payload::Kind::kTemperatureResponse) CheckDisabledResponse(number);
      return;
    }
    ++enabledCount;
    for (std::size_t i = 1; i < table.fields.size(); ++i) {
      CheckField(table, static_cast<int>(i), e, !enabled);
      AfterField(table, static_cast<int>(i), e);
    }
    if (table.layout.kind == payload::Kind::kFanController) {
      for (int m = 1; m <= payload::fan_controller::kWeightingCount; ++m) {
        const int f = format::fan_controller_field::WeightingField(m);
        weightings_[static_cast<std::size_t>(number - 1)][static_cast<std::size_t>(m - 1)] = {e.values[f], e.spots[f]};
      }
    }
  }

  // lenient: the entity's Enabled or the key's gate was refused, so keys that
  // are not there or empty are passed over rather than reported.
  void CheckField(const KindTable& table, int i, Entity& e, bool lenient) {
    const FieldRow& row = table.fields[static_cast<std::size_t>(i)];
    const std::optional<bool> open = format::GateOpen(table, i, e.values);
    if (open == false) {
      if (row.gatedOffStored >= 0)
        format::StoreRaw(result_.image, e.record, row, static_cast<std::uint32_t>(row.gatedOffStored));
      return;
    }
    lenient = lenient || !open;
    std::string text;
    TextSpot& spot = e.spots[static_cast<std::size_t>(i)];
    const bool found = file_.Lookup(e.section, row.key, text, kValueCapacity, &spot);
    if (row.absent != format::Absent::kError && (!found || text.empty())) {
      if (lenient && !found) return;
      Report(Severity::kWarning, false, e.section, row.key, row.absentMessage, "not-specified", spot);
      e.values[static_cast<std::size_t>(i)] = 0;
      format::StoreField(result_.image, e.record, row, 0);
      return;
    }
    if (lenient && (!found || text.empty())) return;
    if (!found) {
      Error(e, row, "Not Found", "not-found", spot);
      return;
    }
    if (text.empty()) {
      Error(e, row, "Input Missing", "input-missing", spot);
      return;
    }
    const format::Bounds b = format::RowBounds(table, i, e.values).value_or(format::Bounds{row.min, row.max, row.noneAllowed});
    std::int32_t v = 0;
    const format::Verdict verdict = format::ReadRowValue(row, b, text, v);
    if (verdict != format::Verdict::kOk) {
      Error(e, row, format::VerdictText(verdict), RuleOf(verdict), spot);
      return;
    }
    format::StoreField(result_.image, e.record, row, v);
    e.values[static_cast<std::size_t>(i)] = v;
    if (row.references != payload::Kind::kPayloadHeader && !(row.noneAllowed && v == -1) &&
        !Referable(row.references)[static_cast<std::size_t>(v - 1)]) {
      Error(e, row, "Not Enabled", "not-enabled", spot);
      return;
    }
    if (row.compare != format::Compare::kNone) {
      const auto& earlier = e.values[static_cast<std::size_t>(row.relatedTo)];
      if (!earlier) return;
      const bool ok = row.compare == format::Compare::kAtLeast ? v >= *earlier : v <= *earlier;
      if (!ok) {
        Error(e, row, row.relationMessage, "relation", spot);
        e.values[static_cast<std::size_t>(i)].reset();  // absent for the relations after it
      }
    }
  }

  // The warnings the compiler gives once a key is read.
  void AfterField(const KindTable& table, int i, const Entity& e) {
    if (table.layout.kind == payload::Kind::kTemperatureMonitor &&
        i == format::temperature_monitor_field::kGetReadingCommand &&
        format::LosesTemperatureAbstraction(e.values) == true) {
      const int usage = format::temperature_monitor_field::kUsage;
      const TextSpot& spot = e.spots[usage];
      const char* key = table.fields[usage].key;
      Report(Severity::kWarning, false, e.section, key, "Not using Get-Temperature Abstraction for Processor",
             "processor-abstraction", spot);
      Report(Severity::kWarning, false, e.section, key, "Will not be able to automatically handle Processor upgrade",
             "processor-abstraction", spot);
    }
    if (table.layout.kind == payload::Kind::kVoltageMonitor && i == format::voltage_monitor_field::kVoltageNominal) {
      const auto& usage = e.values[format::voltage_monitor_field::kUsage];
      const auto& nominal = e.values[format::voltage_monitor_field::kVoltageNominal];
      if (usage && nominal && format::IsVccp(*usage) && *nominal != 0)
        Report(Severity::kWarning, false, e.section, table.fields[static_cast<std::size_t>(i)].key,
               "Value Other Than 0 specified for Vccp", "vccp-nominal", e.spots[static_cast<std::size_t>(i)]);
    }
  }

  // A controller that still weighs a disabled response is reported, but the
  // compiler goes on.
  void CheckDisabledResponse(int number) {
    const FieldRow& row = format::WeightingRow(number);
    for (int j = 1; j <= payload::kFanControllers.count; ++j) {
      const Weighting& w = weightings_[static_cast<std::size_t>(j - 1)][static_cast<std::size_t>(number - 1)];
      // A refused weighting has been reported already.
      if (w.value &&
          format::WeighsDisabledResponse(Referable(payload::Kind::kFanController)[static_cast<std::size_t>(j - 1)],
                                         *w.value))
        Report(Severity::kError, false, SectionName(payload::kFanControllers, j), row.key, "Not Enabled",
               "weighted-disabled-response", w.spot);
    }
  }

  std::array<bool, kMaxEntities>& Referable(payload::Kind kind) { return referable_[static_cast<std::size_t>(kind)]; }

  struct Weighting {
    std::optional<std::int32_t> value;
    TextSpot spot;
  };

  const ProfileFile& file_;
  CheckResult& result_;
  int stage_ = 0;
  bool refused_ = false;
  // By kind code and entity: enabled, or Enabled refused.
  std::array<std::array<bool, kMaxEntities>, 6> referable_{};
  std::array<std::array<Weighting, 12>, 8> weightings_{};
};

}  // namespace

std::span<const CheckStage> CheckStages() { return kStages; }

CheckResult CheckConfiguration(const ProfileFile* file) {
  static const ProfileFile kEmpty{std::string()};
  CheckResult result;
  Checker(file ? *file : kEmpty, result).Run();
  return result;
}

CheckResult CheckText(std::string raw) {
  std::string content = TextModeContent(std::move(raw));
  if (content.size() > kProfileMaxBytes) return CheckConfiguration(nullptr);
  const ProfileFile file(std::move(content));
  return CheckConfiguration(&file);
}

}  // namespace zefr
