// Painting the property tree with all 1009 rows of a configuration expanded.
// Run with QT_QPA_PLATFORM=offscreen; a frame should stay well under 16 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "param_items.h"
#include "param_tree.h"

namespace {

// Five headings, 48 instances and their parameters: 1009 rows as the editor has.
void fill(CParamTree& t) {
  const int instances[5] = {12, 8, 8, 12, 8};
  int rows = 0;
  for (int k = 0; k < 5; ++k) {
    CParamItem* heading = t.insertItem(new CParamItem);
    heading->setLabel(QStringLiteral("Kind %1 (0/%2)").arg(k).arg(instances[k]));
    ++rows;
    for (int i = 0; i < instances[k]; ++i) {
      auto* enabled = new CParamComboItem;
      t.insertItem(enabled, heading);
      enabled->setLabel(QStringLiteral("Instance %1").arg(i + 1));
      enabled->createEditor();
      enabled->addOption(QStringLiteral("FALSE"));
      enabled->addOption(QStringLiteral("TRUE"));
      ++rows;
    }
  }
  // Spread the remaining parameters over the instances.
  int n = 0;
  while (rows < 1009) {
    for (int k = 0; k < 5 && rows < 1009; ++k) {
      CParamItem* heading = t.root()->child(k);
      CParamItem* inst = heading->child(n % heading->childCount());
      auto* p = new CParamEditItem;
      t.insertItem(p, inst);
      p->setLabel(QStringLiteral("Parameter With A Fairly Long Display Name %1").arg(n));
      p->createEditor(kInputInteger, 0, 16);
      p->setText(QString::number(n * 7));
      ++rows;
    }
    ++n;
  }
  t.expandAll();
}

void paint(benchmark::State& state, int height) {
  CParamTree tree(kTreeShowInfoPane | kTreeGutterFace | kTreeTopRowsFace);
  tree.resize(480, height);
  fill(tree);
  tree.show();
  QApplication::processEvents();
  QWidget* list = tree.listWnd();
  QImage image(list->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    list->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["rows"] = double(tree.visibleItems().size());
}

void BM_PaintWindow(benchmark::State& state) { paint(state, 700); }
// Every row on the canvas at once, the worst a frame can get.
void BM_PaintAllRowsOnCanvas(benchmark::State& state) { paint(state, 1009 * kRowHeight + 100); }

}  // namespace

BENCHMARK(BM_PaintWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintAllRowsOnCanvas)->Unit(benchmark::kMillisecond);
