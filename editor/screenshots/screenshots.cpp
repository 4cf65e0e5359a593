// Renders the property tree, the Status dialog and the editor's main window
// into PNG files, headless. The main window's pictures illustrate the user
// guide: the real window, with the real compiler behind Generate and Send.
// Use: zefr_screenshots OUTPUT-DIR
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include <QImage>
#include <QSet>

#include "alt_dialog.h"
#include "command_ids.h"
#include "dialog_prompts.h"
#include "form_factor_dialog.h"
#include "main_config_dialog.h"
#include "param_items.h"
#include "param_tree.h"
#include "sim_harness.h"
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

// The real dialogs, answered without a person: ATX for New, a file in `dir`
// for Generate, Yes to Send; each Status dialog is shown and photographed.
class ShotPrompts : public CDialogPrompts {
 public:
  explicit ShotPrompts(QString dir) : m_dir(std::move(dir)) {}
  QString statusShot;  // the file the next Status dialog goes to; none is expected without one
  bool ok = true;

  std::optional<zefr::FormFactor> chooseFormFactor(QWidget*, const QString&) override {
    return zefr::FormFactor::ATX;
  }
  bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
  QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return QDir(m_dir).filePath(QStringLiteral("board.bin"));
  }
  int showStatus(QWidget* parent, CStatusDialog::Mode mode, const QString& text) override {
    CStatusDialog d(mode, text, parent);
    d.show();
    ok = QTest::qWaitForWindowExposed(&d) && !statusShot.isEmpty() && save(d.grab(), statusShot) && ok;
    statusShot.clear();
    return 1;
  }

 private:
  QString m_dir;
};

bool mainWindowShots() {
  QTemporaryDir work;
  if (!work.isValid()) return false;
  // Generate and Send make their work folder here; Send finds no device.
  qputenv("TEMP", work.path().toLocal8Bit());
  qputenv("ZEFR_DEVICE_DIR", work.filePath(QStringLiteral("no-device")).toLocal8Bit());
  ShotPrompts prompts(work.path());
  CMainConfigDialog window(&prompts);
  window.resize(560, 660);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  CParamTree* tree = window.tree();
  auto shoot = [&](const char* name) {
    QTest::qWait(50);
    return save(window.grab(), QString::fromLatin1(name));
  };

  // New with the ATX defaults, the first temperature monitor open.
  window.onCommand(cmd::kNew);
  tree->findItem(100)->setExpanded(true);
  tree->findItem(1000)->setExpanded(true);
  tree->moveFocusTo(tree->findItem(1001));
  bool ok = shoot("main_window.png");

  CFormFactorDialog choose(QStringLiteral(
      "A new configuration with defaults for the chosen form factor will be created.\r\n"
      "This operation will discard the current configuration (no files will be overwritten). Proceed?"));
  choose.show();
  ok = QTest::qWaitForWindowExposed(&choose) && save(choose.grab(), QStringLiteral("form_factor.png")) && ok;
  choose.hide();

  prompts.statusShot = QStringLiteral("status_generate.png");
  window.onCommand(cmd::kGeneratePayload);
  prompts.statusShot = QStringLiteral("status_send_no_device.png");
  window.onCommand(cmd::kSendToFirmware);

  // The firmware refuses parameter 2 of temperature monitor 1: the verdict ends the text.
  {
    zefrsim::TempDir device;
    zefrsim::SimProcess sim;
    if (!sim.Start(device.path(), {"--ccode", "3", "--entity", "0x0203"})) return false;
    qputenv("ZEFR_DEVICE_DIR", QByteArray::fromStdString(device.path()));
    prompts.statusShot = QStringLiteral("status_send_refused.png");
    window.onCommand(cmd::kSendToFirmware);
    qputenv("ZEFR_DEVICE_DIR", work.filePath(QStringLiteral("no-device")).toLocal8Bit());
  }

  // A file with values the checks refuse: the rows turn colour and say why.
  QFile atx(QStringLiteral(":/INIFILE/144"));
  QByteArray text = atx.open(QIODevice::ReadOnly) ? atx.readAll() : QByteArray();
  text.replace("DeviceAddress=0x4C ", "DeviceAddress=0x1FF");
  text.replace("TimeoutNonCritical=1\n", "TimeoutNonCritical=0\n");
  const QString broken = work.filePath(QStringLiteral("board.ini"));
  QFile out(broken);
  if (text.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(text) != text.size()) return false;
  out.close();
  prompts.statusShot = QStringLiteral("status_load_errors.png");
  window.openFile(broken, zefr::FormFactor::ATX);
  window.onCommand(cmd::kCollapseAll);
  tree->findItem(100)->setExpanded(true);
  tree->findItem(1100)->setExpanded(true);
  tree->moveFocusTo(tree->findItem(1103));
  ok = shoot("main_window_errors.png") && ok;

  prompts.statusShot = QStringLiteral("status_check_errors.png");
  window.onCommand(cmd::kGeneratePayload);
  window.hide();
  return ok && prompts.ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
  if (!QDir().mkpath(g_out)) {
    std::fprintf(stderr, "cannot make %s\n", qPrintable(g_out));
    return 1;
  }
  const bool ok = treeShots() && statusShots() && barsShot() && mainWindowShots();
  return ok ? 0 : 1;
}
