#pragma once

#include <QWidget>

class CParamItem;
class CParamTree;
class QPainter;

enum class ParamHit { Nowhere, Divider, Value, ExpandBox, Label };

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
