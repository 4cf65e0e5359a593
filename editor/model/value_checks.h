#pragma once

// Checking the document's values: each parameter's state word, the row's
// colour and message, and the error report.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "document_values.h"
#include "param_row.h"
#include "parameter_schema.h"

namespace zefr {

// Bits of a parameter's state word.
namespace state {
inline constexpr std::uint32_t kInputDisabled = 0x01;
inline constexpr std::uint32_t kOutOfRange = 0x02;
inline constexpr std::uint32_t kTooLong = 0x04;
inline constexpr std::uint32_t kBadValue = 0x08;
inline constexpr std::uint32_t kTrueFalse = 0x10;
inline constexpr std::uint32_t kErrors = kOutOfRange | kTooLong | kBadValue | kTrueFalse;
}  // namespace state

// Label backgrounds of the rows.
namespace colours {
inline constexpr ColorRef kError = 0x4444EE;
inline constexpr ColorRef kEnabled = 0x44EE44;
inline constexpr ColorRef kDisabled = 0xAAAAAA;
inline constexpr ColorRef kPlain = 0xFFFFFF;
inline constexpr ColorRef kGreyText = 0xAAAAAA;
}  // namespace colours

class ValueChecks {
 public:
  ValueChecks(const ParameterSchema& schema, RowSource& rows, const DocumentValues& values);
  // A copy of `other`'s state that checks `values` (a copied document).
  ValueChecks(const ValueChecks& other, const DocumentValues& values);
  ValueChecks(const ValueChecks&) = delete;
  ValueChecks& operator=(const ValueChecks&) = delete;

  std::uint32_t StateWord(ParameterId id) const;
  void SetBits(ParameterId id, std::uint32_t bits, bool on);
  // Input disabled as asked, and always while the instance is disabled.
  void SetInputDisabled(ParameterId id, bool disabled);
  // True when the parameter's instance is enabled (for an `Enabled`, itself).
  bool InstanceEnabled(ParameterId id) const;
  // A fan slot set while an earlier slot of its group is not: a bad value
  // whatever its form.
  void SetOutOfOrder(ParameterId id, bool outOfOrder);

  // Range row key of the parameter under its usage and the form factor.
  std::uint16_t RowClass(ParameterId id) const;
  // True on a range error, or a length error on a well-formed value.
  bool CheckParameter(ParameterId id);
  // One report line (may be empty); also marks the row. `editorLine`, when
  // given, receives the line without the compiler's finding.
  std::string DescribeErrors(ParameterId id, std::string* editorLine = nullptr);
  // CheckParameter then DescribeErrors.
  void Check(ParameterId id);
  // Checks every parameter of every enabled instance; the text is kept.
  const std::string& CollectErrorReport();
  const std::string& Report() const { return report_; }
  // The last report without the compiler's findings: what Generate and Send refuse on.
  const std::string& EditorReport() const { return editorReport_; }

  // The compiler's words per parameter; a parameter with one is red and shows
  // them after the editor's own. Returns the ids whose words changed.
  std::vector<ParameterId> SetCompilerFindings(std::map<ParameterId, std::string> findings);
  void SetReport(std::string text) { report_ = std::move(text); }

 private:
  ParamRow* Row(ParameterId id) const { return rows_.Row(id); }
  const ParameterDescriptor* Desc(ParameterId id) const { return schema_.Descriptor(id); }
  std::string Message(ParameterId id, std::uint32_t code) const;
  // The bad-value message, or the order message for a sound slot set after an unset one.
  std::string BadValueMessage(ParameterId id) const;
  // "Temperature Monitors 3»Name: text\r\n", or nothing for no text.
  std::string ReportLine(const ParameterDescriptor& d, const std::string& text) const;

  const ParameterSchema& schema_;
  RowSource& rows_;
  const DocumentValues& values_;
  std::vector<std::uint32_t> words_;
  std::set<ParameterId> outOfOrder_;
  std::map<ParameterId, std::string> findings_;
  std::string report_, editorReport_;
};

}  // namespace zefr
