#include "check_run.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ostream>

#include "configuration_document.h"
#include "memory_rows.h"
#include "value_text.h"

namespace zefr {

std::optional<CheckOptions> ParseCheckArguments(const std::vector<std::string>& args, std::string* error) {
  CheckOptions options;
  bool haveFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--form-factor") {
      if (i + 1 >= args.size()) {
        *error = "--form-factor needs atx, btx or custom";
        return std::nullopt;
      }
      const std::string value = args[++i];
      if (valuetext::EqualsNoCase(value, "atx"))
        options.formFactor = FormFactor::ATX;
      else if (valuetext::EqualsNoCase(value, "btx"))
        options.formFactor = FormFactor::BTX;
      else if (valuetext::EqualsNoCase(value, "custom"))
        options.formFactor = FormFactor::Custom;
      else {
        *error = "unknown form factor \"" + value + "\"";
        return std::nullopt;
      }
    } else if (!haveFile && (arg.empty() || arg[0] != '-')) {
      options.file = arg;
      haveFile = true;
    } else {
      *error = "unexpected argument \"" + arg + "\"";
      return std::nullopt;
    }
  }
  if (!haveFile) {
    *error = "no INI file given";
    return std::nullopt;
  }
  return options;
}

int RunCheck(const CheckOptions& options, std::ostream& out, std::ostream& err) {
  // Looked at without opening it: opening a FIFO would wait for a writer.
  // Whatever else cannot be read, Load says why.
  struct stat st;
  const int why = ::stat(options.file.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (why != 0) {
    err << "zefrct_gui: cannot read \"" << options.file << "\": " << std::strerror(why) << "\n";
    return 2;
  }
  ParameterSchema schema;
  MemoryRows rows;
  ConfigurationDocument doc(schema, rows);
  for (const ParameterId id : schema.DisplayOrder()) {
    if (const ParameterDescriptor* d = schema.Descriptor(id)) rows.Create(*d);
    doc.InitRow(id);
  }
  doc.StartUp();
  doc.SetFormFactor(options.formFactor);
  doc.ResetToDefaults();
  const LoadResult result = doc.Load(options.file);
  if (!result.ok) {
    // Load names the file itself; say it once.
    const std::string named = "Cannot read \"" + options.file + "\": ";
    const std::string why = result.error.rfind(named, 0) == 0 ? result.error.substr(named.size()) : result.error;
    err << "zefrct_gui: cannot read \"" << options.file << "\": " << why << "\n";
    return 2;
  }
  if (!result.hadData) {
    err << "zefrct_gui: \"" << options.file << "\" holds no configuration data\n";
    return 2;
  }
  std::string report = doc.Checks().CollectErrorReport();
  // One line per error, with the line ends of this platform.
  for (std::size_t at; (at = report.find("\r\n")) != std::string::npos;) report.erase(at, 1);
  out << report;
  out.flush();
  return report.empty() ? 0 : 1;
}

}  // namespace zefr
