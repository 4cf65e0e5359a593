#pragma once

#include "editor_prompts.h"

// The real dialogs.
class CDialogPrompts : public EditorPrompts {
 public:
  Answer askYesNoCancel(QWidget* parent, const QString& caption, const QString& text) override;
  bool askYesNo(QWidget* parent, const QString& caption, const QString& text) override;
  void inform(QWidget* parent, const QString& caption, const QString& text) override;
  void warn(QWidget* parent, const QString& caption, const QString& text) override;
  std::optional<zefr::FormFactor> chooseFormFactor(QWidget* parent, const QString& text) override;
  QString openFileName(QWidget* parent) override;
  QString saveFileName(QWidget* parent, const QString& title, const QString& filterList,
                       const QString& initialName) override;
  int showStatus(QWidget* parent, CStatusDialog::Mode mode, const QString& text) override;
  void about(QWidget* parent) override;
  void openDocument(const QString& path) override;
};
