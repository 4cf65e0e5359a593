#include "dot_printer.h"

#include "decimal_text.h"
#include "field_codec.h"
#include "field_table.h"
#include "usage_names.h"

namespace zefrdump {
namespace {

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

class Graph {
 public:
  Graph() { out_ = "digraph zefr {\n  rankdir=LR;\n  node [shape=box, style=rounded];\n\n"; }

  void BeginCluster(const char* name, const char* label) {
    out_ += "  subgraph cluster_" + std::string(name) + " {\n    label=" + Quoted(label) + ";\n";
  }
  void EndCluster() { out_ += "  }\n\n"; }
  void Node(const std::string& id, UsageFamily family, unsigned usage) {
    // Escaped piecewise so that the \n between them stays a DOT line break.
    std::string label = Quoted(id);
    label.pop_back();
    label += "\\n" + Quoted(UsageName(family, usage)).substr(1);
    out_ += "    " + Quoted(id) + " [label=" + label + "];\n";
  }
  void Edge(const std::string& from, const std::string& to, const std::string& label,
            const char* style = nullptr) {
    out_ += "  " + Quoted(from) + " -> " + Quoted(to) + " [label=" + Quoted(label);
    if (style) out_ += ", style=" + std::string(style);
    out_ += "];\n";
  }
  std::string Finish() { return out_ + "}\n"; }

 private:
  std::string out_;
};

namespace F = zefr::format;
namespace L = zefr::payload;

constexpr int kUsageField = 1;  // every kind's second row

// A kind's entities, as the graph reads them from the image.
class Entities {
 public:
  Entities(const DecodedPayload& p, const F::KindTable& table) : p_(p), table_(table) {}

  bool Enabled(size_t index) const { return p_.image.IsEnabled(table_.layout, int(index + 1)); }
  // What the field stores: references as index, NONE as kNoReference.
  uint32_t Raw(size_t index, int field) const {
    return F::LoadRaw(p_.image, L::RecordOffset(table_.layout, int(index + 1)), table_.fields[size_t(field)]);
  }
  size_t size() const { return size_t(table_.layout.count); }
  std::string Id(size_t index) const { return table_.layout.section + std::to_string(index + 1); }

 private:
  const DecodedPayload& p_;
  const F::KindTable& table_;
};

void Nodes(Graph& g, const char* cluster, const char* label, const Entities& entities, UsageFamily usage) {
  g.BeginCluster(cluster, label);
  for (size_t i = 0; i < entities.size(); ++i)
    if (entities.Enabled(i)) g.Node(entities.Id(i), usage, entities.Raw(i, kUsageField));
  g.EndCluster();
}

}  // namespace

std::string PrintGraph(const DecodedPayload& p) {
  const Entities temperatureMonitors(p, F::kTemperatureMonitorTable), fanMonitors(p, F::kFanMonitorTable),
      voltageMonitors(p, F::kVoltageMonitorTable), responses(p, F::kTemperatureResponseTable),
      controllers(p, F::kFanControllerTable);
  Graph g;
  Nodes(g, "temperature_monitors", "Temperature Monitors", temperatureMonitors, UsageFamily::Temperature);
  Nodes(g, "temperature_responses", "Temperature Responses", responses, UsageFamily::Temperature);
  Nodes(g, "fan_controllers", "Fan Controllers", controllers, UsageFamily::Fan);
  Nodes(g, "fan_monitors", "Fan Monitors", fanMonitors, UsageFamily::Fan);
  Nodes(g, "voltage_monitors", "Voltage Monitors", voltageMonitors, UsageFamily::Voltage);

  namespace tr = F::temperature_response_field;
  for (size_t i = 0; i < responses.size(); ++i) {
    if (!responses.Enabled(i)) continue;
    const std::string response = responses.Id(i);
    const uint32_t primary = responses.Raw(i, tr::kTemperatureMonitor);
    if (temperatureMonitors.Enabled(primary)) g.Edge(temperatureMonitors.Id(primary), response, "primary");
    const uint32_t ambient = responses.Raw(i, tr::kAmbientTemperatureMonitor);
    if (ambient == L::kNoReference) continue;
    if (temperatureMonitors.Enabled(ambient))
      g.Edge(temperatureMonitors.Id(ambient), response, "ambient", "dashed");
    const uint32_t controller = responses.Raw(i, tr::kPrimaryFanController);
    if (controllers.Enabled(controller))
      g.Edge(response, controllers.Id(controller), "primary controller", "dotted");
  }
  namespace fc = F::fan_controller_field;
  for (size_t j = 0; j < controllers.size(); ++j) {
    if (!controllers.Enabled(j)) continue;
    const std::string controller = controllers.Id(j);
    for (size_t m = 0; m < responses.size(); ++m) {
      const int32_t weighting = int32_t(controllers.Raw(j, fc::WeightingField(int(m + 1))));
      if (weighting != 0 && responses.Enabled(m))
        g.Edge(responses.Id(m), controller, ExactDecimalText(weighting, 2) + "%");
    }
    for (int k = 1; k <= L::fan_controller::kFanSlotCount; ++k) {
      const uint32_t monitor = controllers.Raw(j, fc::SlotField(k, fc::kSlotMonitor));
      if (monitor != L::kNoReference && fanMonitors.Enabled(monitor))
        g.Edge(controller, fanMonitors.Id(monitor), "fan " + std::to_string(k));
    }
  }
  return g.Finish();
}

}  // namespace zefrdump
