// CTypedSaveDialog: the editor's Save dialog. The file name's extension follows the
// file type the user picks. The rules are plain functions so they can be tested
// without showing a dialog.
#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace typedsave {

constexpr int kMaxFilterEntries = 20;

struct FilterList {
  QStringList entries;     // "INI Files (*.ini)"
  QStringList patterns;    // "*.ini"
  QStringList extensions;  // ".ini"
};

// Splits "A (*.a)|B (*.b)||" at "|" into at most 20 entries; empty parts are skipped
// and a part in double or single quotes is taken whole without them.
FilterList parseFilterList(const QString& filter);
// The name the dialog starts with: the given one, or "*" and the first extension.
QString initialFileName(const QString& name, const FilterList& f);
// 1-based type whose extension equals the name from its first "."; 1 when none does.
int initialTypeIndex(const QString& name, const FilterList& f);
// The extension a type text names: from its first "*" up to the following ")".
QString extensionOfType(const QString& typeText);
// The file-name field after the user picked the given type.
QString switchExtension(const QString& fileName, const QString& typeText);
// The suffix a name typed without one gets under the given type: "ini" for
// "INI Files (*.ini)", none for a pattern with wildcards such as "*.*".
QString defaultSuffixOfType(const QString& typeText);

}  // namespace typedsave

class CTypedSaveDialog {
 public:
  CTypedSaveDialog(const QString& title, const QString& filterList, const QString& fileName,
                   QWidget* parent = nullptr);
  ~CTypedSaveDialog();
  CTypedSaveDialog(const CTypedSaveDialog&) = delete;
  CTypedSaveDialog& operator=(const CTypedSaveDialog&) = delete;

  // Shows the dialog; QDialog::Accepted when the user chose a file.
  int exec();
  // The chosen path and the 1-based type after an accepted exec.
  QString path() const { return m_path; }
  int selectedType() const { return m_selectedType; }
  const typedsave::FilterList& filters() const { return m_filters; }
  QString initialName() const { return m_fileName; }

  // The Qt file dialog, built on first use (Qt's own dialog, so a type change is
  // always reported).
  QFileDialog* dialog();
  // What a type change does; also called by the dialog itself.
  void typeChanged(const QString& typeText);
  QString fileNameField() const;
  void setFileNameField(const QString& name);

 private:
  void applyDefaultSuffix();

  QString m_title;
  typedsave::FilterList m_filters;
  QString m_fileName;
  int m_selectedType = 1;
  QString m_path;
  QWidget* m_parent;
  QFileDialog* m_dialog = nullptr;
};
