// One row of a CParamTree.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <memory>
#include <vector>

class CParamTree;
class QPainter;
class QWidget;

// Row geometry in pixels.
constexpr int kRowHeight = 21;
constexpr int kMultiLineRowHeight = 75;
constexpr int kGutter = 16;
constexpr int kInfoPaneHeight = 80;
constexpr int kInitialColumnWidth = 150;

// One row. The tree owns its rows; rows with an editor subclass this.
class CParamItem {
 public:
  enum class EditorKind { Plain = 1, Combo = 4, Edit = 6 };

  CParamItem();
  virtual ~CParamItem();
  CParamItem(const CParamItem&) = delete;
  CParamItem& operator=(const CParamItem&) = delete;

  int id() const { return m_id; }
  void setId(int id) { m_id = id; }
  const QString& label() const { return m_label; }
  void setLabel(const QString& s);
  const QString& helpText() const { return m_help; }
  void setHelpText(const QString& s);
  const QString& messageText() const { return m_message; }
  void setMessageText(const QString& s);

  bool isReadOnly() const { return m_readOnly; }
  void setReadOnly(bool on);
  int rowHeight() const { return m_height; }
  void setRowHeight(int h);
  // true: label drawn 5 pixels below the row top instead of centred.
  bool labelLayout() const { return m_labelTop; }
  void setLabelLayout(bool top);

  QColor valueBackColor() const { return m_valueBack; }
  QColor valueTextColor() const { return m_valueText; }
  QColor rowBackColor() const { return m_rowBack; }
  QColor labelTextColor() const { return m_labelText; }
  QColor labelBackColor() const { return m_labelBack; }
  void setValueBackColor(const QColor& c);
  void setValueTextColor(const QColor& c);
  void setRowBackColor(const QColor& c);
  void setLabelTextColor(const QColor& c);
  void setLabelBackColor(const QColor& c);

  bool isExpanded() const { return m_expanded; }
  void setExpanded(bool on);
  bool isSelected() const { return m_selected; }
  void setSelected(bool on);
  bool isEditing() const { return m_editing; }
  bool isCommitted() const { return m_committed; }
  // Opens the editor (no checks: callers decide whether the row may be edited).
  void activate();
  // Ends editing and tells the owner; does nothing when already committed.
  void commit();
  // Ends editing without telling the owner: the value goes back to what it was
  // when the editor opened (or the owner last set).
  void cancel();

  EditorKind editorKind() const { return m_kind; }
  int sequence() const { return m_sequence; }
  CParamTree* tree() const { return m_tree; }
  CParamItem* parent() const { return m_parent; }
  int childCount() const { return int(m_children.size()); }
  CParamItem* child(int i) const { return m_children[size_t(i)].get(); }
  bool hasChildren() const { return !m_children.empty(); }
  // A child of the invisible root: a group header spanning both columns.
  bool isTopLevel() const;

  // Geometry of the last layout, in row-window coordinates.
  QRect valueRect() const { return m_valueRect; }
  QRect labelRect() const { return m_labelRect; }
  QRect expandRect() const { return m_expandRect; }
  QRect labelTextRect() const { return m_textRect; }
  int indent() const { return m_indent; }
  int top() const { return m_top; }

  // The in-place editor widget, if any.
  virtual QWidget* editor() const { return nullptr; }

  // Row operations the tree calls; a plain row does nothing in any of them.
  virtual void drawValue(QPainter& p, const QRect& r);
  virtual void activateEditor() {}
  virtual void reposition() {}      // move, and hide unless focused
  virtual void repositionOnly() {}  // move only
  virtual void endEditing() {}
  virtual void restoreValue() {}  // back to the value the editor opened with
  virtual void destroyEditor() {}
  virtual void deselected() {}
  virtual void selected() {}
  virtual void ancestorExpandChanged(bool) {}

 protected:
  explicit CParamItem(EditorKind kind);
  QWidget* rowWindow() const;  // parent of the editors; null before insertion
  // Hides an editor, first moving the keyboard focus back to the rows so the
  // focus never wanders outside the tree on its own.
  void hideEditor(QWidget* w);
  void requestRepaint() const;

 private:
  friend class CParamTree;
  friend class CParamListWnd;

  int m_id = 0;
  QString m_label, m_help, m_message;
  int m_sequence = 0;
  CParamItem* m_parent = nullptr;
  std::vector<std::unique_ptr<CParamItem>> m_children;
  CParamTree* m_tree = nullptr;
  QRect m_valueRect, m_labelRect, m_expandRect, m_textRect;
  QString m_shownLabel;  // the label as fitted by the last layout
  QString m_fittedFrom;  // what m_shownLabel was fitted from, to skip refitting
  int m_fittedWidth = -1, m_fittedAdvance = 0;
  bool m_fittedBold = false;
  int m_fittedGeneration = -1;
  int m_indent = 0, m_top = 0;
  bool m_committed = true, m_editing = false;
  int m_height = kRowHeight;
  bool m_selected = false, m_expanded = false, m_readOnly = false, m_labelTop = false;
  EditorKind m_kind = EditorKind::Plain;
  QColor m_valueBack, m_valueText, m_rowBack, m_labelText, m_labelBack;
};
