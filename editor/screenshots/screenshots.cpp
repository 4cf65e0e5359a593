// Renders the property tree and the Status dialog into PNG files, headless.
// Use: zefr_screenshots OUTPUT-DIR
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QPainter>
#include <QTest>
#include <cstdio>

#include "alt_dialog.h"
#include <QImage>
#include <QSet>

#include "command_ids.h"
#include "param_items.h"
#include "param_tree.h"
#include "status_dialog.h"

namespace {

QString g_out;

// A window that failed to draw grabs as nothing or as one flat colour.
bool drawn(const QPixmap& pm) {
  if (pm.width() < 100 || pm.height() < 50) return false;
  const QImage image = pm.toImage();
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  return colours.size() >= 3;
}

bool save(const QPixmap& pm, const QString& name) {
  const QString path = QDir(g_out).filePath(name);
  if (!drawn(pm)) {
    std::fprintf(stderr, "%s: nothing drawn (%dx%d)\n", qPrintable(name), pm.width(), pm.height());
    return false;
  }
  if (!pm.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

CParamComboItem* combo(CParamTree& t, CParamItem* parent, const QString& label, const QStringList& options, int sel,
                       const QString& help = QString()) {
  auto* it = new CParamComboItem;
  t.insertItem(it, parent);
  it->setLabel(label);
  it->setHelpText(help);
  it->createEditor();
  for (const QString& o : options) it->addOption(o);
  it->comboBox()->setCurrentIndex(sel);
  return it;
}

CParamEditItem* text(CParamTree& t, CParamItem* parent, const QString& label, uint32_t flags, const QString& value,
                     const QString& help = QString()) {
  auto* it = new CParamEditItem;
  t.insertItem(it, parent);
  it->setLabel(label);
  it->setHelpText(help);
  it->createEditor(flags, 0, 32);
  it->setText(value);
  return it;
}

struct Sample {
  CParamItem* temps;
  CParamComboItem* device;
  CParamEditItem* error;
};

Sample fill(CParamTree& t) {
  Sample s{};
  s.temps = t.insertItem(new CParamItem);
  s.temps->setLabel(QStringLiteral("Temperature Monitors (2/12)"));
  CParamItem* t1 = combo(t, s.temps, QStringLiteral("Temperature Monitor 1"), {"FALSE", "TRUE"}, 1,
                         QStringLiteral("Switches this temperature monitor on or off."));
  combo(t, t1, QStringLiteral("Usage"), {"", "Ambient", "Processor", "Chassis"}, 1);
  s.device = combo(t, t1, QStringLiteral("Device"),
                   {"", "Varn Temperature Sensor", "Bexmoor, Internal Sensor", "Other Pell Bus Device (custom)"}, 1,
                   QStringLiteral("The sensor device that measures this temperature."));
  text(t, t1, QStringLiteral("Device Address"), kInputHex, QStringLiteral("0x20"))->setReadOnly(true);
  text(t, t1, QStringLiteral("Get Reading Command"), kInputHex, QStringLiteral("0x00"))->setReadOnly(true);
  text(t, t1, QStringLiteral("Upper Critical Threshold"), kInputReal, QStringLiteral("95.00"));
  s.error = text(t, t1, QStringLiteral("Accuracy Correction Slope Adjustment Factor"), kInputInteger,
                 QStringLiteral("250"),
                 QStringLiteral("Correction applied to the slope of the sensor's reading, in hundredths."));
  s.error->setValueBackColor(QColor(255, 255, 160));
  s.error->setMessageText(QStringLiteral("Value out of range: must lie between -100 and 100."));
  text(t, t1, QStringLiteral("Access Code"), kInputPassword, QStringLiteral("secret"));
  CParamItem* t2 = combo(t, s.temps, QStringLiteral("Temperature Monitor 2"), {"FALSE", "TRUE"}, 1);
  combo(t, t2, QStringLiteral("Usage"), {"", "Ambient", "Processor"}, 2);
  CParamItem* fans = t.insertItem(new CParamItem);
  fans->setLabel(QStringLiteral("Fan Monitors (1/8)"));
  CParamItem* f1 = combo(t, fans, QStringLiteral("Fan Monitor 1"), {"FALSE", "TRUE"}, 1);
  text(t, f1, QStringLiteral("Pulses Per Revolution"), kInputInteger, QStringLiteral("2"));
  text(t, f1, QStringLiteral("Lower Critical Speed"), kInputInteger, QStringLiteral("600"));
  combo(t, fans, QStringLiteral("Fan Monitor 2"), {"FALSE", "TRUE"}, 0);
  CParamItem* volts = t.insertItem(new CParamItem);
  volts->setLabel(QStringLiteral("Voltage Monitors (0/8)"));
  combo(t, volts, QStringLiteral("Voltage Monitor 1"), {"FALSE", "TRUE"}, 0);
  t.expandAll();
  t2->setExpanded(false);
  volts->setExpanded(false);
  t.findItem(0);
  return s;
}

bool treeShots() {
  QWidget frame;
  frame.resize(460, 560);
  CParamTree tree(kTreeShowInfoPane | kTreeGutterFace | kTreeTopRowsFace, &frame);
  tree.setGeometry(0, 0, 460, 560);
  Sample s = fill(tree);
  tree.setColumnWidth(200);
  frame.show();
  if (!QTest::qWaitForWindowExposed(&frame)) return false;
  tree.moveFocusTo(s.error);
  QApplication::processEvents();
  bool ok = save(frame.grab(), QStringLiteral("tree_sample.png"));

  // An open drop-down: the list pops up in a window of its own, painted over the frame.
  tree.moveFocusTo(s.device);
  s.device->activate();
  QComboBox* box = s.device->comboBox();
  box->showPopup();
  QApplication::processEvents();
  QWidget* popup = box->view()->window();
  QPixmap shot = frame.grab();
  {
    QPainter p(&shot);
    p.drawPixmap(frame.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
  }
  box->hidePopup();
  ok = save(shot, QStringLiteral("tree_dropdown.png")) && ok;
  return ok;
}

bool statusShots() {
  auto errorLines = [](int n) {
    QString t;
    for (int i = 1; i <= n; ++i)
      t += QStringLiteral("Temperature Monitors %1\u00bbUpper Critical Threshold: Out of Range\r\n").arg(i);
    return t;
  };
  const QString errors = errorLines(14);
  const QString summary = QStringLiteral(
      "Parsing INI file \"2345-6789-0123-4567-8901.ini\"...\r\n"
      "Writing Payload file \"board.bin\"...\r\nWrite Complete.\r\n");
  struct Shot {
    CStatusDialog::Mode mode;
    QString text;
    const char* file;
  } shots[] = {
      {CStatusDialog::Mode::Errors, errors, "status_errors.png"},
      {CStatusDialog::Mode::Summary, summary, "status_summary.png"},
      {CStatusDialog::Mode::SaveQuestion, errorLines(3), "status_save_question.png"},
      {CStatusDialog::Mode::LoadReport, errorLines(2), "status_load_report.png"},
  };
  bool ok = true;
  for (const Shot& s : shots) {
    CStatusDialog d(s.mode, s.text);
    d.show();
    if (!QTest::qWaitForWindowExposed(&d)) return false;
    ok = save(d.grab(), QString::fromLatin1(s.file)) && ok;
  }
  return ok;
}

// A dialog with both bars and a tree in its content area, as the main window uses them.
class BarsDialog : public CAltDialog {
 public:
  bool loadToolBar(QToolBar*, int) override {
    addToolBarCommand(cmd::kOk, QIcon(), QStringLiteral("Quit"));
    addToolBarSeparator();
    addToolBarCommand(cmd::kAbout, QIcon(), QStringLiteral("About"));
    return true;
  }
};

bool barsShot() {
  BarsDialog d;
  d.resize(460, 520);
  d.setString(cmd::kSaveIni, QStringLiteral("Save all data to the current INI File\nSave INI File"));
  auto* bar = new QMenuBar;
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  QAction* saveCmd = d.makeCommand(cmd::kSaveIni, QStringLiteral("&Save INI File\tCtrl+S"));
  file->addAction(saveCmd);
  bar->addMenu(QStringLiteral("&View"));
  d.setMenuBar(bar);
  d.createBars(true, true, nullptr, resid::kToolBar);
  CParamTree tree(kTreeShowInfoPane | kTreeGutterFace | kTreeTopRowsFace | kTreeShowIdleText, &d);
  tree.setGeometry(d.contentRect());
  fill(tree);
  d.show();
  if (!QTest::qWaitForWindowExposed(&d)) return false;
  emit file->hovered(saveCmd);  // a menu prompt in the status bar
  QApplication::processEvents();
  return save(d.grab(), QStringLiteral("alt_dialog.png"));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
  if (!QDir().mkpath(g_out)) {
    std::fprintf(stderr, "cannot make %s\n", qPrintable(g_out));
    return 1;
  }
  const bool ok = treeShots() && statusShots() && barsShot();
  return ok ? 0 : 1;
}
