// Start-up of the main window (1009 rows built, refreshed and checked, the
// window shown) must stay under 300 ms; loading and saving a default
// configuration under 20 ms each; checking a 1 MiB file well under a second.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <sstream>

#include "main_config_dialog.h"
#include "check_run.h"
#include "dialog_prompts.h"
#include "memory_rows.h"

namespace {

// Nothing is asked while measuring.
class SilentPrompts : public CDialogPrompts {
 public:
  void inform(QWidget*, const QString&, const QString&) override {}
  void warn(QWidget*, const QString&, const QString&) override {}
  int showStatus(QWidget*, CStatusDialog::Mode, const QString&) override { return 1; }
};

const std::string kAtx = ZEFR_RES_DIR "/ZefrCfgATX.ini";

void BM_StartUpUntilShown(benchmark::State& state) {
  SilentPrompts prompts;
  for (auto _ : state) {
    auto dialog = std::make_unique<CMainConfigDialog>(&prompts);
    dialog->show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(dialog->isVisible());
    state.PauseTiming();
    dialog.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpUntilShown)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_LoadDefault(benchmark::State& state) {
  SilentPrompts prompts;
  CMainConfigDialog dialog(&prompts);
  for (auto _ : state) {
    state.PauseTiming();
    dialog.document().ResetToDefaults();
    state.ResumeTiming();
    dialog.document().Load(kAtx);
  }
}
BENCHMARK(BM_LoadDefault)->Unit(benchmark::kMillisecond);

void BM_SaveDefault(benchmark::State& state, zefr::WriteMode mode) {
  SilentPrompts prompts;
  CMainConfigDialog dialog(&prompts);
  dialog.document().Load(kAtx);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("board.ini"));
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(path);
    QFile::copy(QString::fromStdString(kAtx), path);
    state.ResumeTiming();
    dialog.document().Write(path.toStdString(), mode, nullptr);
  }
}
BENCHMARK_CAPTURE(BM_SaveDefault, Save, zefr::WriteMode::Save)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveDefault, SaveAs, zefr::WriteMode::SaveAs)->Unit(benchmark::kMillisecond);

// The same load without a window: what the --check run does.
void BM_LoadDefaultWithoutWindow(benchmark::State& state) {
  zefr::ParameterSchema schema;
  zefr::MemoryRows rows;
  zefr::ConfigurationDocument doc(schema, rows);
  for (const zefr::ParameterId id : schema.DisplayOrder()) {
    rows.Create(*schema.Descriptor(id));
    doc.InitRow(id);
  }
  doc.StartUp();
  for (auto _ : state) {
    state.PauseTiming();
    doc.ResetToDefaults();
    state.ResumeTiming();
    doc.Load(kAtx);
  }
}
BENCHMARK(BM_LoadDefaultWithoutWindow)->Unit(benchmark::kMillisecond);

// `--check` of a 1 MiB file: blank lines (0), unknown keys in a known
// section (1), or unknown sections (2). Each of the 1009 lookups once scanned
// the whole file, which took seconds.
void BM_CheckLargeFile(benchmark::State& state) {
  static const char* const kLines[] = {"\n", "Unknown%07d=1\n", "[Unknown%07d]\n"};
  std::string bytes = "[FanMonitor1]\nEnabled=TRUE\n";
  char line[32];
  for (int n = 0; bytes.size() < (1u << 20) - sizeof line; ++n) {
    std::snprintf(line, sizeof line, kLines[state.range(0)], n);
    bytes += line;
  }
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("large.ini"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
    state.SkipWithError("cannot write the file");
    return;
  }
  file.close();
  for (auto _ : state) {
    std::ostringstream out, err;
    benchmark::DoNotOptimize(zefr::RunCheck({zefr::FormFactor::Custom, path.toStdString()}, out, err));
  }
}
BENCHMARK(BM_CheckLargeFile)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
