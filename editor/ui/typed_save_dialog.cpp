#include "typed_save_dialog.h"

#include <QFileDialog>
#include <QLineEdit>

namespace typedsave {

FilterList parseFilterList(const QString& filter) {
  FilterList f;
  int i = 0;
  const int n = int(filter.size());
  while (i <= n && f.entries.size() < kMaxFilterEntries) {
    QString entry;
    const QChar q = i < n ? filter[i] : QChar();
    if (q == u'"' || q == u'\'') {
      const int close = int(filter.indexOf(q, i + 1));
      const int end = close < 0 ? n : close;
      entry = filter.mid(i + 1, end - i - 1);
      const int bar = int(filter.indexOf(u'|', end));
      i = bar < 0 ? n + 1 : bar + 1;
    } else {
      const int bar = int(filter.indexOf(u'|', i));
      const int end = bar < 0 ? n : bar;
      entry = filter.mid(i, end - i);
      i = end + 1;
    }
    if (entry.isEmpty()) continue;
    const int open = int(entry.indexOf(u'('));
    QString pattern;
    if (open >= 0) {
      const int close = int(entry.indexOf(u')', open));
      pattern = entry.mid(open + 1, close < 0 ? -1 : close - open - 1);
    }
    f.entries << entry;
    f.patterns << pattern;
    f.extensions << pattern.mid(1);
  }
  return f;
}

QString initialFileName(const QString& name, const FilterList& f) {
  // The whole name is kept, however long: a fixed name buffer would overflow or
  // silently save under a shortened name.
  if (!name.isEmpty()) return name;
  return QStringLiteral("*") + (f.extensions.isEmpty() ? QString() : f.extensions.first());
}

int initialTypeIndex(const QString& name, const FilterList& f) {
  const int dot = int(name.indexOf(u'.'));
  if (name.isEmpty() || dot < 0) return 1;
  const QString ext = name.mid(dot);
  for (int i = 0; i < f.extensions.size(); ++i)
    if (f.extensions[i] == ext) return i + 1;
  return 1;
}

QString extensionOfType(const QString& typeText) {
  const int star = int(typeText.indexOf(u'*'));
  if (star < 0) return QString();
  const int close = int(typeText.indexOf(u')', star));
  return typeText.mid(star + 1, close < 0 ? -1 : close - star - 1);
}

QString switchExtension(const QString& fileName, const QString& typeText) {
  const QString ext = extensionOfType(typeText);
  if (fileName.isEmpty()) return QStringLiteral("*") + ext;
  const int dot = int(fileName.indexOf(u'.'));
  if (dot >= 0) return fileName.left(dot) + ext;
  return fileName + ext;
}

QString defaultSuffixOfType(const QString& typeText) {
  const QString ext = extensionOfType(typeText);
  if (!ext.startsWith(u'.') || ext.size() < 2) return QString();
  const QString suffix = ext.mid(1);
  if (suffix.contains(u'*') || suffix.contains(u'?') || suffix.contains(u'.')) return QString();
  return suffix;
}

}  // namespace typedsave

CTypedSaveDialog::CTypedSaveDialog(const QString& title, const QString& filterList, const QString& fileName,
                                   QWidget* parent)
    : m_title(title), m_filters(typedsave::parseFilterList(filterList)), m_parent(parent) {
  m_fileName = typedsave::initialFileName(fileName, m_filters);
  m_selectedType = typedsave::initialTypeIndex(fileName, m_filters);
}

CTypedSaveDialog::~CTypedSaveDialog() { delete m_dialog; }

QFileDialog* CTypedSaveDialog::dialog() {
  if (m_dialog) return m_dialog;
  m_dialog = new QFileDialog(m_parent, m_title);
  // The platform dialogs do not all report a change of type; Qt's own always does.
  m_dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  m_dialog->setAcceptMode(QFileDialog::AcceptSave);
  m_dialog->setFileMode(QFileDialog::AnyFile);
  m_dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
  m_dialog->setNameFilters(m_filters.entries);
  if (m_selectedType >= 1 && m_selectedType <= m_filters.entries.size())
    m_dialog->selectNameFilter(m_filters.entries[m_selectedType - 1]);
  setFileNameField(m_fileName);
  applyDefaultSuffix();
  QObject::connect(m_dialog, &QFileDialog::filterSelected, m_dialog, [this](const QString& t) { typeChanged(t); });
  return m_dialog;
}

QString CTypedSaveDialog::fileNameField() const {
  if (!m_dialog) return m_fileName;
  if (auto* edit = m_dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) return edit->text();
  const QStringList files = m_dialog->selectedFiles();
  return files.isEmpty() ? QString() : QFileInfo(files.first()).fileName();
}

void CTypedSaveDialog::setFileNameField(const QString& name) {
  m_fileName = name;
  if (!m_dialog) return;
  if (auto* edit = m_dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
    edit->setText(name);
  else
    m_dialog->selectFile(name);
}

void CTypedSaveDialog::typeChanged(const QString& typeText) {
  setFileNameField(typedsave::switchExtension(fileNameField(), typeText));
  const int i = int(m_filters.entries.indexOf(typeText));
  if (i >= 0) m_selectedType = i + 1;
  applyDefaultSuffix();
}

// A name typed without an extension gets the chosen type's, so that the file
// shows under that type when opened again and the compiler takes it.
void CTypedSaveDialog::applyDefaultSuffix() {
  if (!m_dialog || m_selectedType < 1 || m_selectedType > m_filters.entries.size()) return;
  m_dialog->setDefaultSuffix(typedsave::defaultSuffixOfType(m_filters.entries[m_selectedType - 1]));
}

int CTypedSaveDialog::exec() {
  QFileDialog* d = dialog();
  const int r = d->exec();
  if (r == QDialog::Accepted) {
    const QStringList files = d->selectedFiles();
    m_path = files.isEmpty() ? QString() : files.first();
    const int i = int(m_filters.entries.indexOf(d->selectedNameFilter()));
    if (i >= 0) m_selectedType = i + 1;
  }
  return r;
}
