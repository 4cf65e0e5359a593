#include "editor_app.h"

#include <QTimer>

#include "main_config_dialog.h"

CEditorApp::CEditorApp() = default;
CEditorApp::~CEditorApp() = default;

int CEditorApp::InitInstance(const QString& file, zefr::FormFactor formFactor) {
  m_main = std::make_unique<CMainConfigDialog>();
  if (!file.isEmpty()) {
    // Once the window is up, so that a report about the file has its owner on screen.
    QTimer::singleShot(0, m_main.get(), [this, file, formFactor] { m_main->openFile(file, formFactor); });
  }
  m_main->exec();
  return 0;
}
