// CAltDialog: a dialog with what a frame window has: a toolbar, a status bar with
// lock-key indicators, command prompts in the status bar, toolbar tooltips, command
// state updates, and commands that show or hide the bars and resize the dialog.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <map>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTimer;
class QToolBar;

class CAltDialog : public QDialog {
  Q_OBJECT
 public:
  explicit CAltDialog(QWidget* parent = nullptr);
  ~CAltDialog() override;

  // String table: a prompt is the text before "\n", the tooltip the text after it.
  void setString(int id, const QString& text);
  QString loadString(int id) const;

  // Makes the bars once the dialog's own controls exist. panes: ids of the status
  // panes (null: message pane, Caps, Num, Scroll). toolBarId 0: no toolbar. Moves the
  // controls below the toolbar and grows the dialog by the bars. False when a
  // requested bar cannot be made.
  bool createBars(bool enableToolTips, bool createStatusBar, const std::vector<int>* panes = nullptr,
                  int toolBarId = 0, uint32_t toolBarStyle = 0);
  // The client area less the bars, its top moved down by 23 pixels more.
  QRect contentRect() const;

  // Shows a command's prompt in the message pane (0 empties it).
  void showPrompt(int id);
  QString messageText() const;
  // Answers a tooltip request for a control: the text after "\n" (at most 80
  // characters), showing the text before it in the status bar.
  QString toolTipText(int id);
  // What choosing a menu item does to the prompt (flags as a menu reports them:
  // 0xFFFF menu closed, 0x870 popup, separator and the like).
  void menuSelect(int id, unsigned flags);
  static int promptIdForMenuItem(int id, unsigned flags);

  // A menu attached to the dialog: the dialog shows its prompts and updates the
  // state of its items when it opens.
  void setMenuBar(QMenuBar* bar);
  void watchMenu(QMenu* menu);
  // An action that carries a command id and is routed to onCommand.
  QAction* makeCommand(int id, const QString& text);
  QAction* addToolBarCommand(int id, const QIcon& icon, const QString& text);
  void addToolBarSeparator();

  QStatusBar* statusBar() const { return m_status; }
  QToolBar* toolBar() const { return m_toolBar; }
  QMenuBar* menuBar() const { return m_menuBar; }
  QLabel* pane(int id) const;
  bool isStatusBarShown() const;
  bool isToolBarShown() const;
  void toggleStatusBar();
  void toggleToolBar();

  // Runs the dialog modally through this class (clears the modeless flag).
  int exec() override;
  bool createdModeless() const { return m_createdModeless; }
  bool inOwnModalLoop() const { return m_ownModal; }

  // Command routing: OK, Cancel and the two bar commands are handled here.
  virtual bool onCommand(int id);
  // Enables or checks an item as the command's state says (called at idle and when
  // a menu opens); the bar commands are checked while their bar is shown.
  virtual void updateCommandUi(QAction* action, int id);
  // Moves values between controls and members; false keeps an OK from closing.
  virtual bool transferData(bool save);
  // Fills the toolbar for a toolbar resource id (with addToolBarCommand, so the
  // bars are measured with their buttons); false when it cannot be loaded.
  virtual bool loadToolBar(QToolBar* bar, int toolBarId);
  // One idle pass: indicator panes and the state of the toolbar's commands.
  void idleUpdate();

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  void repositionBars();
  void moveControls(int dy);
  bool isBar(const QWidget* w) const;
  int menuHeight() const;
  void toolTipDone();

  QStatusBar* m_status = nullptr;
  QToolBar* m_toolBar = nullptr;
  QMenuBar* m_menuBar = nullptr;
  QLabel* m_message = nullptr;
  std::map<int, QLabel*> m_panes;
  std::map<int, QString> m_strings;
  bool m_toolTips = false;
  bool m_statusCreated = false;
  bool m_toolBarCreated = false;
  bool m_createdModeless = true;
  bool m_ownModal = false;
  QTimer* m_idle = nullptr;
  int m_pendingPrompt = 0;
  int m_shownPrompt = 0;
  bool m_toolTipPrompt = false;
};
