#include "dot_printer.h"

#include "decimal_text.h"
#include "usage_names.h"

namespace zefrdump {
namespace {

std::string Id(const char* family, size_t index) {
  return std::string(family) + std::to_string(index + 1);
}

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

template <typename Entities>
void Nodes(Graph& g, const char* family, const char* cluster, const char* label,
           const Entities& entities, UsageFamily usage) {
  g.BeginCluster(cluster, label);
  for (size_t i = 0; i < entities.size(); ++i)
    if (entities[i].enabled) g.Node(Id(family, i), usage, entities[i].usage);
  g.EndCluster();
}

}  // namespace

std::string PrintGraph(const DecodedPayload& p) {
  Graph g;
  Nodes(g, "TemperatureMonitor", "temperature_monitors", "Temperature Monitors",
        p.temperatureMonitors, UsageFamily::Temperature);
  Nodes(g, "TemperatureResponse", "temperature_responses", "Temperature Responses",
        p.temperatureResponses, UsageFamily::Temperature);
  Nodes(g, "FanController", "fan_controllers", "Fan Controllers", p.fanControllers,
        UsageFamily::Fan);
  Nodes(g, "FanMonitor", "fan_monitors", "Fan Monitors", p.fanMonitors, UsageFamily::Fan);
  Nodes(g, "VoltageMonitor", "voltage_monitors", "Voltage Monitors", p.voltageMonitors,
        UsageFamily::Voltage);

  for (size_t i = 0; i < p.temperatureResponses.size(); ++i) {
    const TemperatureResponse& t = p.temperatureResponses[i];
    if (!t.enabled) continue;
    std::string response = Id("TemperatureResponse", i);
    if (p.temperatureMonitors[t.temperatureMonitor].enabled)
      g.Edge(Id("TemperatureMonitor", t.temperatureMonitor), response, "primary");
    if (t.ambientMonitor == kNoEntity) continue;
    if (p.temperatureMonitors[t.ambientMonitor].enabled)
      g.Edge(Id("TemperatureMonitor", t.ambientMonitor), response, "ambient", "dashed");
    if (p.fanControllers[t.primaryFanController].enabled)
      g.Edge(response, Id("FanController", t.primaryFanController), "primary controller",
             "dotted");
  }
  for (size_t j = 0; j < p.fanControllers.size(); ++j) {
    const FanController& f = p.fanControllers[j];
    if (!f.enabled) continue;
    std::string controller = Id("FanController", j);
    for (size_t m = 0; m < f.weightings.size(); ++m)
      if (f.weightings[m] != 0 && p.temperatureResponses[m].enabled)
        g.Edge(Id("TemperatureResponse", m), controller, ExactDecimalText(f.weightings[m], 2) + "%");
    for (size_t k = 0; k < f.slots.size(); ++k) {
      uint8_t monitor = f.slots[k].monitor;
      if (monitor != kNoEntity && p.fanMonitors[monitor].enabled)
        g.Edge(controller, Id("FanMonitor", monitor), "fan " + std::to_string(k + 1));
    }
  }
  return g.Finish();
}

}  // namespace zefrdump
