// CParamTree: a custom-drawn two-column tree of named values with in-place editors
// and a description pane. It knows nothing of what the rows mean: each row carries
// an id chosen by its creator, and the owner does the rest in its notify handler.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "param_fonts.h"
#include "param_info_pane.h"
#include "param_item.h"
#include "param_list_wnd.h"

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
  // Commits the open editor as moving to another row does, so a command that is
  // about to drop or replace the values sees what was typed; true when one was open.
  bool commitEditing();

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
