// CParamTree: a custom-drawn two-column tree of named values with in-place editors
// and a description pane. It knows nothing of what the rows mean: each row carries
// an id chosen by its creator, and the owner does the rest in its notify handler.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

class CParamItem;
class CParamTree;
class QPainter;
class QScrollBar;

// Option bits given at creation.
enum : uint32_t {
  kTreeShowInfoPane = 0x01,
  kTreeNotify = 0x02,  // switched by setNotify only
  kTreeShowIdleText = 0x04,
  kTreeGutterFace = 0x08,
  kTreeTopRowsFace = 0x10,
};

// Notification codes sent to the owner.
enum : int {
  kParamInserted = -1101,
  kParamDeleting = -1102,
  kParamCommitted = -1105,
  kParamFocusChanged = -1107,
  kParamExpanding = -1108,     // non-zero answer cancels
  kParamDividerDrag = -1109,   // non-zero answer cancels
  kParamActivating = -1110,    // non-zero answer keeps the editor closed
};

struct ParamTreeNotify {
  CParamTree* tree;
  int controlId;
  int code;
  CParamItem* item;  // may be null
};

// The owner of a tree; its answer only counts where the code says so.
class ParamTreeOwner {
 public:
  virtual ~ParamTreeOwner() = default;
  virtual int paramTreeNotify(const ParamTreeNotify& n) = 0;
};

enum class ParamHit { Nowhere, Divider, Value, ExpandBox, Label };

// The fonts all trees share: the menu font and its bold twin.
struct ParamFonts {
  static const QFont& normal();
  static const QFont& bold();
  static void rebuild();
  static int generation();
};

// The grey of read-only values and of a disabled tree's texts.
QColor paramGreyText();

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

// The window that draws the rows and takes the mouse and the keyboard.
class CParamListWnd : public QWidget {
  Q_OBJECT
 public:
  explicit CParamListWnd(CParamTree* tree);
  ParamHit hitTest(QPoint pt, CParamItem** item = nullptr);
  bool isDraggingDivider() const { return m_dragging; }
  // Keys that editors hand back to the rows arrive here.
  void handleKey(int key, Qt::KeyboardModifiers mods);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent*) override;
  void focusInEvent(QFocusEvent*) override;
  void focusOutEvent(QFocusEvent*) override;

 private:
  void paintRows(QPainter& p);
  void drawRow(QPainter& p, CParamItem* item);
  void updateCursor(QPoint pt);
  bool inputAllowed() const;

  CParamTree* m_tree;
  bool m_dragging = false;
  int m_dragX = 0;
};

// The description pane below the rows: title, help and the red message.
class CParamInfoPane : public QWidget {
  Q_OBJECT
 public:
  explicit CParamInfoPane(CParamTree* tree);
  // The three texts the pane shows now (empty when blank).
  void texts(QString& title, QString& help, QString& message) const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  CParamTree* m_tree;
};

class CParamTree : public QWidget {
  Q_OBJECT
 public:
  explicit CParamTree(uint32_t options, QWidget* parent = nullptr, int controlId = 101);
  ~CParamTree() override;

  int controlId() const { return m_controlId; }
  uint32_t options() const { return m_options; }
  void setNotify(bool on, ParamTreeOwner* owner);
  // Sends a notification; answers 0 while notifications are off or no owner is set.
  int notify(int code, CParamItem* item);

  // Takes ownership; links the row as last child of parent (root when null) or right
  // after the sibling `after`.
  CParamItem* insertItem(CParamItem* item, CParamItem* parent = nullptr, CParamItem* after = nullptr);
  // Deletes a row with its children; deleting the root empties the tree.
  void deleteItem(CParamItem* item);
  void deleteAll();
  CParamItem* findItem(int id) const;
  CParamItem* root() const { return m_root.get(); }

  CParamItem* focusedItem() const { return m_focused; }
  // Focuses a row (none allowed), expanding its ancestors and scrolling it into view.
  void setFocusedItem(CParamItem* item);
  void selectNone();
  int columnWidth() const { return m_columnWidth; }
  void setColumnWidth(int px);
  void expandAll();
  void collapseAll();
  // After value changes: moves the subtree's editors, updates scrolling, repaints.
  void updateItem(CParamItem* item = nullptr);

  void setInputLock(int lock) { m_inputLock = lock; }
  int inputLock() const { return m_inputLock; }

  int scrollOffset() const { return m_scroll; }
  void scrollToOffset(int px);
  void scrollLines(int lines);
  void scrollPages(int pages);
  int contentHeight() const;
  QScrollBar* verticalScrollBar() const { return m_vbar; }

  // Rows in display order as laid out now (recomputed on every call).
  const std::vector<CParamItem*>& visibleItems();
  CParamListWnd* listWnd() const { return m_list; }
  CParamInfoPane* infoPane() const { return m_pane; }

  // Moves the focus as the keyboard does: clears the selections, selects the row,
  // tells the owner when the focus changed, scrolls it into view.
  void moveFocusTo(CParamItem* item);
  void moveNext();
  void movePrevious();
  // Opens the focused row's editor when the row is below the top level and writable.
  void activateFocused();
  // Expands or collapses a row unless the owner cancels; drops a focus that got hidden.
  void toggleExpanded(CParamItem* item);

 protected:
  void resizeEvent(QResizeEvent*) override;
  void changeEvent(QEvent* e) override;

 private:
  friend class CParamItem;
  friend class CParamListWnd;

  void layoutChildren();
  void layoutRows();
  int layoutRow(CParamItem* item, int indent, int y, int width);
  void updateScrollRange();
  void applyColumnLimits();
  void repositionAll(bool hideUnfocused);
  void repaintAll();
  void forEach(CParamItem* from, void (*fn)(CParamItem*, void*), void* ctx);
  bool isInside(const QWidget* w) const;
  void focusChanged(QWidget* old, QWidget* now);
  void dropHiddenFocus();
  void clearSelections();

  uint32_t m_options;
  int m_controlId;
  CParamInfoPane* m_pane = nullptr;
  CParamListWnd* m_list = nullptr;
  QScrollBar* m_vbar = nullptr;
  std::unique_ptr<CParamItem> m_root;
  std::vector<CParamItem*> m_visible;
  CParamItem* m_focused = nullptr;
  CParamItem* m_editingRow = nullptr;  // the row whose editor was opened last
  int m_columnWidth = kInitialColumnWidth;
  int m_requestedColumn = kInitialColumnWidth;
  int m_scroll = 0;
  ParamTreeOwner* m_owner = nullptr;
  int m_sequenceCounter = 0;
  int m_inputLock = 0;
  bool m_inScrollUpdate = false;
  int m_deletions = 0;  // counts deleted rows, so handlers notice deletions by the owner
};
