#pragma once

// The application object: creates the main window, runs it modally and
// ends when it closes.

#include <QString>
#include <memory>

#include "parameter_schema.h"

class CMainConfigDialog;

class CEditorApp {
 public:
  CEditorApp();
  ~CEditorApp();

  // `file`: a configuration to open at start (empty: none).
  int InitInstance(const QString& file, zefr::FormFactor formFactor);
  CMainConfigDialog* MainWindow() const { return m_main.get(); }

 private:
  std::unique_ptr<CMainConfigDialog> m_main;
};
