#include "dialog_prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "form_factor_dialog.h"
#include "typed_save_dialog.h"

EditorPrompts::Answer CDialogPrompts::askYesNoCancel(QWidget* parent, const QString& caption,
                                                     const QString& text) {
  const auto answer = QMessageBox::warning(parent, caption, text,
                                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                           QMessageBox::Yes);
  if (answer == QMessageBox::Yes) return Answer::Yes;
  if (answer == QMessageBox::No) return Answer::No;
  return Answer::Cancel;
}

bool CDialogPrompts::askYesNo(QWidget* parent, const QString& caption, const QString& text) {
  return QMessageBox::warning(parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

void CDialogPrompts::inform(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox::information(parent, caption, text);
}

void CDialogPrompts::warn(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox::warning(parent, caption, text);
}

std::optional<zefr::FormFactor> CDialogPrompts::chooseFormFactor(QWidget* parent, const QString& text) {
  CFormFactorDialog dialog(text, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.chosen();
}

QString CDialogPrompts::openFileName(QWidget* parent) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("ini"));
  dialog.setNameFilters({QStringLiteral("INI Files (*.ini)"), QStringLiteral("All Files (*)")});
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

QString CDialogPrompts::saveFileName(QWidget* parent, const QString& title, const QString& filterList,
                                     const QString& initialName) {
  CTypedSaveDialog dialog(title, filterList, initialName, parent);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.path();
}

int CDialogPrompts::showStatus(QWidget* parent, CStatusDialog::Mode mode, const QString& text) {
  return CStatusDialog::showStatus(mode, text, parent);
}

void CDialogPrompts::about(QWidget* parent) {
  QMessageBox box(parent);
  box.setWindowTitle(QStringLiteral("About ZEFRCT_GUI"));
  box.setIconPixmap(parent != nullptr ? parent->windowIcon().pixmap(32, 32) : QPixmap());
  box.setText(QStringLiteral("<b>ZEFRCT_GUI</b><br>Zefr Configuration Utility"));
  box.setInformativeText(QStringLiteral("Version 1.0.1.1114"));
  box.exec();
}

void CDialogPrompts::openDocument(const QString& path) {
  // A missing file or viewer is not reported.
  if (QFileInfo::exists(path)) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
