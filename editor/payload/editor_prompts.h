#pragma once

// Every question, message and file dialog the editor shows (the main window's
// and Generate's and Send's) goes through this interface, so tests can answer
// them without a person at the screen.

#include <QString>
#include <optional>

#include "parameter_schema.h"
#include "status_dialog.h"

class QWidget;

class EditorPrompts {
 public:
  enum class Answer { Yes, No, Cancel };

  virtual ~EditorPrompts() = default;

  // Yes/No/Cancel with a warning icon.
  virtual Answer askYesNoCancel(QWidget* parent, const QString& caption, const QString& text) = 0;
  // Yes/No with a warning icon; true for Yes.
  virtual bool askYesNo(QWidget* parent, const QString& caption, const QString& text) = 0;
  virtual void inform(QWidget* parent, const QString& caption, const QString& text) = 0;
  virtual void warn(QWidget* parent, const QString& caption, const QString& text) = 0;
  // The "Choose a Form Factor" dialog; nothing when cancelled.
  virtual std::optional<zefr::FormFactor> chooseFormFactor(QWidget* parent, const QString& text) = 0;
  // Empty when cancelled.
  virtual QString openFileName(QWidget* parent) = 0;
  virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filterList,
                               const QString& initialName) = 0;
  // The Status dialog; the id of the button that ended it (1 or 2).
  virtual int showStatus(QWidget* parent, CStatusDialog::Mode mode, const QString& text) = 0;
  virtual void about(QWidget* parent) = 0;
  // Opens a document in the desktop's viewer.
  virtual void openDocument(const QString& path) = 0;
};
