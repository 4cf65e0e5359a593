#include "main_config_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>

#include "dialog_prompts.h"
#include "command_ids.h"
#include "extract_resource.h"
#include "load_check.h"
#include "payload_commands.h"
#include "user_guide.h"

using zefr::FormFactor;
using zefr::ParameterId;

namespace {

const char* const kNewText =
    "A new configuration with defaults for the chosen form factor will be created.\r\n"
    "This operation will discard the current configuration (no files will be overwritten). Proceed?";
const char* const kOpenText =
    "The chosen form factor will determine the data ranges used to validate your configuration "
    "data.\r\nLoading a file will discard the current configuration (no files will be "
    "overwritten). Proceed?";
const char* const kNoDataText =
    "The loaded file holds no configuration data. Any configuration data edited and saved from "
    "this point will be inserted into this file unless you choose another file to load, or "
    "create a new configuration.";
const char* const kNotFoundText =
    "The file \"%1\" was not found. Any configuration data edited and saved from this point "
    "will be written to this file unless you choose another file to load, or create a new "
    "configuration.";
const char* const kQuitText = "Current configuration has not been saved. Save before quitting?";

constexpr int kAtxResource = 144;
constexpr int kBtxResource = 136;
constexpr int kTreeOptions = 25;  // description pane, gutter and top rows in face colour
constexpr int kClientWidth = 520;
constexpr int kClientHeight = 560;
constexpr int kLabelColumnWidth = 215;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The status pane shows line feeds.
QString ForPane(const std::string& report) {
  return Q(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// A fan in a rounded square, drawn rather than shipped.
QIcon MakeIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1F, 0x5F, 0xA8));
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.18, s * 0.18);
    p.translate(s / 2, s / 2);
    p.setBrush(QColor(0xE8, 0xF1, 0xFB));
    for (int blade = 0; blade < 3; ++blade) {
      QPainterPath path;
      path.moveTo(0, 0);
      path.cubicTo(s * 0.10, -s * 0.38, s * 0.34, -s * 0.30, s * 0.30, -s * 0.08);
      path.closeSubpath();
      p.drawPath(path);
      p.rotate(120);
    }
    p.setBrush(QColor(0x1F, 0x5F, 0xA8));
    p.drawEllipse(QPointF(0, 0), s * 0.08, s * 0.08);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

class CMainConfigDialog::PayloadHost : public PayloadCommandHost {
 public:
  explicit PayloadHost(CMainConfigDialog& window) : m_window(window) {}
  QWidget* owner() override { return &m_window; }
  void updateData(bool save) override { m_window.transferData(save); }
  QString collectErrorReport() override {
    // Refused on the editor's own errors only: the compiler's findings are its
    // to refuse, in its own run.
    m_window.m_doc->Checks().CollectErrorReport();
    m_window.repaintTree();
    return Q(m_window.m_doc->Checks().EditorReport());
  }
  // With no error of the editor's own, the report holds the compiler's findings alone.
  QString compilerFindings() override { return Q(m_window.m_doc->Checks().Report()); }
  void writeConfiguration(const QString& path) override {
    // Every key, as into a new file: the incremental Save would leave out the
    // keys that hold their defaults. A failure shows in the compiler's report.
    std::string ignored;
    m_window.m_doc->Write(path.toStdString(), zefr::WriteMode::SaveAs, &ignored);
  }

 private:
  CMainConfigDialog& m_window;
};

CMainConfigDialog::CMainConfigDialog(EditorPrompts* prompts, QWidget* parent)
    : CAltDialog(parent), m_prompts(prompts) {
  if (m_prompts == nullptr) {
    m_ownPrompts = std::make_unique<CDialogPrompts>();
    m_prompts = m_ownPrompts.get();
  }
  setWindowTitle(QStringLiteral("Zefr Configuration Utility"));
  setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
  setWindowIcon(MakeIcon());
  resize(kClientWidth, kClientHeight);
  setMinimumSize(325, 450);
  fillStrings();

  // The controls of the dialog template. Open and Close are never shown.
  m_openButton = new QPushButton(this);
  m_openButton->setObjectName(QStringLiteral("open"));
  m_openButton->setGeometry(kClientWidth - 80, 2, 75, 20);
  m_openButton->setEnabled(false);
  m_openButton->hide();
  m_closeButton = new QPushButton(QStringLiteral("&Close"), this);
  m_closeButton->setEnabled(false);
  m_closeButton->hide();
  const char* names[] = {"ATX", "BTX", "Custom"};
  for (int i = 0; i < 3; ++i) {
    m_formFactorButtons[i] = new QRadioButton(QString::fromLatin1(names[i]), this);
    m_formFactorButtons[i]->setObjectName(QStringLiteral("formFactor%1").arg(resid::kFormFactorFirst + i));
    m_formFactorButtons[i]->setGeometry(10 + 72 * i, 2, 70, 20);
    m_formFactorButtons[i]->setFocusPolicy(Qt::NoFocus);
  }
  m_doc = std::make_unique<zefr::ConfigurationDocument>(m_schema, m_rows);
  m_payloadHost = std::make_unique<PayloadHost>(*this);
  m_payload = std::make_unique<CPayloadCommands>(*m_payloadHost, *m_prompts);
  initDialog();
}

CMainConfigDialog::~CMainConfigDialog() {
  // The temporary files go first.
  m_payload.reset();
  // The tree's rows go before the document that points at them.
  delete m_tree;
  m_tree = nullptr;
}

void CMainConfigDialog::fillStrings() {
  const std::pair<int, const char*> strings[] = {
      {cmd::kNew, "Create a new configuration from the defaults of a form factor\nNew"},
      {cmd::kLoadIni, "Load a configuration from an INI File\nLoad INI File"},
      {cmd::kSaveIni, "Save all data to the current INI File\nSave INI File"},
      {cmd::kSaveIniAs, "Save all data to an INI File of a new name\nSave INI File As"},
      {cmd::kGeneratePayload, "Save all data to a binary payload file\nGenerate Configuration Payload"},
      {cmd::kSendToFirmware, "Send configured settings to firmware\nSend Configuration to Firmware"},
      {cmd::kExit, "Quit the application; prompts to save the configuration\nExit"},
      {cmd::kViewStatusBar, "Show or hide the status bar\nToggle Status Bar"},
      {cmd::kViewToolBar, "Show or hide the toolbar\nToggle Toolbar"},
      {cmd::kExpandAll, "Expand every item of the configuration tree\nExpand All"},
      {cmd::kCollapseAll, "Collapse every item of the configuration tree\nCollapse All"},
      {cmd::kUserGuide, "Open the user guide\nUser Guide"},
      {cmd::kAbout, "Display program information and version\nAbout"},
      {cmd::kOk, "Quit the application; prompts to save the configuration\nQuit"},
      {strid::kAboutMenu, "&About ZEFRCT_GUI..."},
      {strid::kOpenModeless, "Open modeless"},
      {strid::kOpenModal, "Open modal"},
  };
  for (const auto& [id, text] : strings) setString(id, QString::fromLatin1(text));
}

bool CMainConfigDialog::initDialog() {
  m_paths = zefr::WorkingPaths::ForProgram(QCoreApplication::applicationFilePath().toStdString());
  QApplication::setOverrideCursor(Qt::WaitCursor);

  buildMenu();
  createBars(true, true, nullptr, resid::kToolBar);
  m_openButton->setText(loadString(m_modeless != 0 ? strid::kOpenModeless : strid::kOpenModal));

  m_tree = new CParamTree(kTreeOptions, this, resid::kTreeControl);
  m_tree->setObjectName(QStringLiteral("tree"));
  layoutTree();
  // Wide enough for "Temperature Response Unit 12" and the longest parameter names.
  m_tree->setColumnWidth(kLabelColumnWidth);
  m_tree->show();
  m_tree->setNotify(true, this);

  for (const ParameterId id : m_schema.DisplayOrder()) m_rows.BuildRow(*m_tree, *m_doc, id);
  m_doc->StartUp();
  buildShortcuts();

  setFormFactor(static_cast<int>(FormFactor::Custom));
  m_doc->SetFlags(zefr::kUntitledFlag);
  updateTitle();
  transferData(false);
  repaintTree();
  QApplication::restoreOverrideCursor();
  return true;
}

void CMainConfigDialog::buildMenu() {
  auto* bar = new QMenuBar;
  const auto add = [this](QMenu* menu, int id, const char* text) {
    QAction* action = makeCommand(id, QString::fromLatin1(text));
    m_commands[id] = action;
    menu->addAction(action);
  };
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  add(file, cmd::kNew, "&New\tCtrl+N");
  add(file, cmd::kLoadIni, "&Load INI File...\tCtrl+L");
  add(file, cmd::kSaveIni, "&Save INI File\tCtrl+S");
  add(file, cmd::kSaveIniAs, "Save INI File &As...");
  file->addSeparator();
  add(file, cmd::kGeneratePayload, "Generate Configuration &Payload...");
  add(file, cmd::kSendToFirmware, "Send Configuration to &Firmware");
  file->addSeparator();
  add(file, cmd::kExit, "E&xit");
  QMenu* view = bar->addMenu(QStringLiteral("&View"));
  add(view, cmd::kViewStatusBar, "&Status Bar");
  add(view, cmd::kViewToolBar, "&Toolbar");
  view->addSeparator();
  add(view, cmd::kExpandAll, "E&xpand All");
  add(view, cmd::kCollapseAll, "&Collapse All");
  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  add(help, cmd::kUserGuide, "User &Guide\tF1");
  help->addSeparator();
  add(help, cmd::kAbout, "&About...");
  setMenuBar(bar);
}

void CMainConfigDialog::buildShortcuts() {
  // Window-wide, so they work wherever the focus is, an open row editor too.
  const std::pair<const char*, int> keys[] = {
      {"Ctrl+N", cmd::kNew}, {"Ctrl+L", cmd::kLoadIni}, {"Ctrl+S", cmd::kSaveIni}, {"F1", cmd::kUserGuide}};
  for (const auto& [key, id] : keys) {
    auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(key)), this);
    shortcut->setContext(Qt::WindowShortcut);
    const int command = id;
    connect(shortcut, &QShortcut::activated, this, [this, command] { onCommand(command); });
  }
}

bool CMainConfigDialog::loadToolBar(QToolBar*, int toolBarId) {
  if (toolBarId != resid::kToolBar) return false;
  QAction* quit = addToolBarCommand(cmd::kOk, style()->standardIcon(QStyle::SP_DialogCloseButton),
                                    QStringLiteral("Quit"));
  addToolBarSeparator();
  QAction* about = addToolBarCommand(cmd::kAbout, style()->standardIcon(QStyle::SP_MessageBoxQuestion),
                                     QStringLiteral("About"));
  m_commands[cmd::kOk] = quit;
  if (about != nullptr && m_commands.count(cmd::kAbout) == 0) m_commands[cmd::kAbout] = about;
  return quit != nullptr && about != nullptr;
}

QAction* CMainConfigDialog::command(int id) const {
  const auto it = m_commands.find(id);
  return it == m_commands.end() ? nullptr : it->second;
}

bool CMainConfigDialog::onCommand(int id) {
  switch (id) {
    case cmd::kNew: newDocument(); return true;
    case cmd::kLoadIni: openDocument(); return true;
    case cmd::kSaveIni: save(); return true;
    case cmd::kSaveIniAs: saveAs(); return true;
    case cmd::kGeneratePayload: m_payload->generate(); return true;
    case cmd::kSendToFirmware: m_payload->send(); return true;
    case cmd::kExit: close(); return true;
    case cmd::kExpandAll: expandAll(); return true;
    case cmd::kCollapseAll: collapseAll(); return true;
    case cmd::kUserGuide: userGuide(); return true;
    case cmd::kAbout: m_prompts->about(this); return true;
    case cmd::kOk:
      // Quitting from the toolbar asks about unsaved changes as closing does.
      transferData(true);
      close();
      return true;
    default:
      if (id >= cmd::kSysAbout && id <= 31) {
        m_prompts->about(this);
        return true;
      }
      return CAltDialog::onCommand(id);
  }
}

void CMainConfigDialog::updateCommandUi(QAction* action, int id) { CAltDialog::updateCommandUi(action, id); }

bool CMainConfigDialog::transferData(bool save) {
  if (save) {
    for (int i = 0; i < 3; ++i)
      if (m_formFactorButtons[i]->isChecked()) m_formFactor = i;
  } else {
    for (int i = 0; i < 3; ++i) m_formFactorButtons[i]->setChecked(i == m_formFactor);
  }
  return true;
}

void CMainConfigDialog::setFormFactor(int formFactor) {
  m_formFactor = formFactor;
  m_doc->SetFormFactor(static_cast<FormFactor>(formFactor));
  transferData(false);
}

int CMainConfigDialog::paramTreeNotify(const ParamTreeNotify& n) {
  if (n.code == kParamCommitted && n.item != nullptr) {
    if (m_doc->OnCommitted(static_cast<ParameterId>(n.item->id()))) updateTitle();
    repaintTree();
  }
  return 0;
}

void CMainConfigDialog::updateTitle() {
  setWindowTitle(Q(m_doc->TitleText(m_paths.file.NameAndExtension())));
}

void CMainConfigDialog::repaintTree() {
  if (m_tree != nullptr) m_tree->updateItem(nullptr);
}

void CMainConfigDialog::layoutTree() {
  if (m_tree == nullptr) return;
  const QRect content = contentRect();
  m_tree->setGeometry(0, content.top(), width(), std::max(0, content.height()));
}

void CMainConfigDialog::resizeEvent(QResizeEvent* e) {
  CAltDialog::resizeEvent(e);
  layoutTree();
}

void CMainConfigDialog::keyPressEvent(QKeyEvent* e) {
  // Enter and Escape never press a dialog button or close the window.
  switch (e->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter: e->accept(); return;
    default: CAltDialog::keyPressEvent(e);
  }
}

void CMainConfigDialog::closeEvent(QCloseEvent* e) {
  // Text typed without Enter is part of the work the question is about.
  commitEditing();
  if (m_doc->Modified()) {
    switch (m_prompts->askYesNoCancel(this, QStringLiteral("Warning"), QString::fromLatin1(kQuitText))) {
      case EditorPrompts::Answer::Cancel: e->ignore(); return;
      case EditorPrompts::Answer::Yes:
        // A save that was cancelled or failed keeps the window and the work.
        if (!save()) {
          e->ignore();
          return;
        }
        break;
      case EditorPrompts::Answer::No: break;
    }
  }
  e->accept();
  done(QDialog::Rejected);
}

void CMainConfigDialog::ExtractResource(const QString& type, int id, const QString& path) {
  zefr::ExtractResource(type, id, path);
}

void CMainConfigDialog::loadFile(const QString& path, bool missing) {
  const zefr::LoadResult result = m_doc->Load(path.toStdString());
  if (!result.ok)
    m_prompts->warn(this, QStringLiteral("Warning"),
                    QStringLiteral("The file \"%1\" could not be read.\n%2").arg(path, Q(result.error)));
  else if (missing)
    m_prompts->inform(this, QStringLiteral("File Not Found"), QString::fromLatin1(kNotFoundText).arg(path));
  else if (!result.hadData)
    m_prompts->inform(this, QStringLiteral("No Configuration Data Loaded"), QString::fromLatin1(kNoDataText));
}

void CMainConfigDialog::commitEditing() {
  if (m_tree != nullptr && m_tree->commitEditing()) repaintTree();
}

void CMainConfigDialog::newDocument() {
  commitEditing();
  const auto chosen = m_prompts->chooseFormFactor(this, QString::fromLatin1(kNewText));
  if (!chosen) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  m_doc->SetFormFactor(*chosen);
  m_doc->ResetToDefaults();
  if (*chosen == FormFactor::Custom) {
    m_doc->SetFlags(zefr::kUntitledFlag);
  } else {
    // Straight from the program's resources: no file, so no work directory to depend on.
    const QByteArray defaults =
        zefr::ResourceBytes(QStringLiteral("INIFILE"), *chosen == FormFactor::ATX ? kAtxResource : kBtxResource)
            .value_or(QByteArray());
    if (!m_doc->LoadText(std::string_view(defaults.constData(), size_t(defaults.size()))).hadData)
      m_prompts->inform(this, QStringLiteral("No Configuration Data Loaded"), QString::fromLatin1(kNoDataText));
    m_doc->SetFlags(zefr::kModifiedFlag | zefr::kUntitledFlag);
  }
  updateTitle();
  m_paths.file.name.clear();
  setFormFactor(static_cast<int>(*chosen));
  repaintTree();
  QApplication::restoreOverrideCursor();
}

void CMainConfigDialog::openDocument() {
  commitEditing();
  const auto chosen = m_prompts->chooseFormFactor(this, QString::fromLatin1(kOpenText));
  if (!chosen) return;
  setFormFactor(static_cast<int>(*chosen));
  const QString path = m_prompts->openFileName(this);
  if (path.isEmpty()) return;
  openFile(path, *chosen);
}

void CMainConfigDialog::openFile(const QString& path, FormFactor formFactor) {
  commitEditing();
  // A file that cannot be loaded (unreadable, binary, not INI) never replaces
  // the configuration, its title or its modified flag.
  const zefr::LoadCheck check = zefr::CheckLoadable(path.toStdString());
  if (check.refusal) {
    m_prompts->warn(this, QStringLiteral("Warning"),
                    QStringLiteral("The file \"%1\" could not be loaded.\n%2").arg(path, Q(*check.refusal)));
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setFormFactor(static_cast<int>(formFactor));
  m_doc->ResetToDefaults();
  loadFile(path, check.missing);
  m_paths.file = zefr::SplitPath(QFileInfo(path).absoluteFilePath().toStdString());
  const std::string& report = m_doc->Checks().CollectErrorReport();
  repaintTree();
  QApplication::restoreOverrideCursor();
  if (!report.empty()) m_prompts->showStatus(this, CStatusDialog::Mode::LoadReport, ForPane(report));
  m_doc->SetFlags(0);
  updateTitle();
}

bool CMainConfigDialog::confirmSaveWithErrors() {
  const std::string& report = m_doc->Checks().CollectErrorReport();
  repaintTree();
  if (report.empty()) return true;
  return m_prompts->showStatus(this, CStatusDialog::Mode::SaveQuestion, ForPane(report)) == 1;
}

bool CMainConfigDialog::writeTo(const QString& path, zefr::WriteMode mode) {
  std::string error;
  if (m_doc->Write(path.toStdString(), mode, &error)) return true;
  m_prompts->warn(this, QStringLiteral("Warning"),
                  QStringLiteral("The configuration could not be saved to \"%1\".\n%2").arg(path, Q(error)));
  return false;
}

bool CMainConfigDialog::save() {
  if (m_doc->Untitled()) return saveAs();
  if (!confirmSaveWithErrors()) return false;
  QDir::setCurrent(Q(m_paths.file.drive + m_paths.file.directory));
  if (!writeTo(Q(m_paths.file.Joined()), zefr::WriteMode::Save)) return false;
  m_doc->SetFlags(0);
  updateTitle();
  return true;
}

bool CMainConfigDialog::saveAs() {
  if (!confirmSaveWithErrors()) return false;
  if (!m_doc->Untitled()) QDir::setCurrent(Q(m_paths.file.drive + m_paths.file.directory));
  const bool iniFilter = m_doc->Untitled() || m_paths.file.extension == ".ini";
  const QString filter = iniFilter ? QStringLiteral("INI Files (*.ini)|All Files (*.*)||")
                                   : QStringLiteral("All Files (*.*)|INI Files (*.ini)||");
  const QString path =
      m_prompts->saveFileName(this, QStringLiteral("Save As"), filter, Q(m_paths.file.NameAndExtension()));
  if (path.isEmpty()) return false;
  ExtractResource(QStringLiteral("INIFILE"), kAtxResource, path);
  if (!writeTo(path, zefr::WriteMode::SaveAs)) return false;
  m_paths.file = zefr::SplitPath(QFileInfo(path).absoluteFilePath().toStdString());
  m_doc->SetFlags(0);
  updateTitle();
  return true;
}

void CMainConfigDialog::expandAll() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  m_tree->expandAll();
  QApplication::restoreOverrideCursor();
}

void CMainConfigDialog::collapseAll() {
  m_tree->selectNone();
  m_tree->setFocusedItem(nullptr);
  m_tree->collapseAll();
}

void CMainConfigDialog::userGuide() {
  const QString programDir = Q(m_paths.program.Joined());
  const QString path = UserGuidePath(programDir);
  if (!QFileInfo(path).isFile()) {
    // Saying nothing would look as if F1 were broken.
    m_prompts->warn(this, QStringLiteral("Warning"),
                    QStringLiteral("User guide not found. Looked for:\n") + UserGuidePlaces(programDir).join(u'\n'));
    return;
  }
  m_prompts->openDocument(path);
}
