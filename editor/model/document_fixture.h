#pragma once

// The model over rows in memory, for the document's, the checks' and the
// tree rules' tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "configuration_document.h"
#include "memory_rows.h"

namespace zefr::testing_support {

namespace fs = std::filesystem;

constexpr ParameterId kTm1 = 1000, kTm1Device = 1002, kTm1Address = 1003, kTm1Command = 1004;
constexpr ParameterId kTm3 = 1200;
constexpr ParameterId kVm1 = 5000, kVm1Usage = 5001, kVm1Nominal = 5005;
constexpr ParameterId kTr1 = 7000, kTr1Monitor = 7002, kTr1Smoothing = 7003, kTr1Gain = 7005;
constexpr ParameterId kTr1Reduction = 7015, kTr1Primary = 7016;
constexpr ParameterId kFc1 = 9000, kFc1Slot1 = 9008, kFc1Slot2 = 9013, kFc1Slot3 = 9018;
constexpr ParameterId kFc1Fan2Measurement = 9017;

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The model over rows in memory, built and started as the window does.
class Document : public ::testing::Test {
 protected:
  Document() : doc(schema, rows) {
    for (const ParameterId id : schema.DisplayOrder()) {
      rows.Create(*schema.Descriptor(id));
      doc.InitRow(id);
    }
    doc.StartUp();
    dir = fs::temp_directory_path() /
          ("zefr_doc_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  ~Document() override { fs::remove_all(dir); }

  MemoryRow& Row(ParameterId id) { return *rows.Find(id); }

  // What the user does in the tree: pick an entry or type a text, then commit.
  // The report of the editor's own checks, without the compiler's findings.
  std::string EditorReport() {
    doc.Checks().CollectErrorReport();
    return doc.Checks().EditorReport();
  }
  // The row's message up to the compiler's findings that follow the editor's own.
  std::string EditorMessage(ParameterId id) {
    const std::string message = Row(id).Message();
    return message.substr(0, message.find("Compiler: "));
  }

  void Choose(ParameterId id, const std::string& display) {
    const int position = Row(id).FindItem(display);
    ASSERT_GE(position, 0) << display;
    Row(id).Select(position);
    doc.OnCommitted(id);
  }
  void Type(ParameterId id, const std::string& text) {
    Row(id).SetText(text);
    doc.OnCommitted(id);
  }
  std::vector<std::string> Entries(ParameterId id) {
    std::vector<std::string> texts;
    for (int i = 0; i < Row(id).Count(); ++i) texts.push_back(Row(id).ItemText(i));
    return texts;
  }
  bool Has(ParameterId id, std::uint32_t bit) { return (doc.Checks().StateWord(id) & bit) != 0; }

  fs::path Default(const char* name) { return fs::path(ZEFR_RES_DIR) / name; }
  fs::path Copy(const char* name) {
    const fs::path to = dir / name;
    fs::copy_file(Default(name), to, fs::copy_options::overwrite_existing);
    return to;
  }

  ParameterSchema schema;
  MemoryRows rows;
  ConfigurationDocument doc;
  fs::path dir;
};

}  // namespace zefr::testing_support
