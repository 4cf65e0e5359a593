#include "alt_dialog.h"

#include <QAction>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include "command_ids.h"
#include "lock_keys.h"

namespace {

const char* kCommandProperty = "zefrCommand";

int commandOf(const QAction* a) {
  if (!a) return 0;
  const QVariant v = a->property(kCommandProperty);
  return v.isValid() ? v.toInt() : 0;
}

QString indicatorText(int id) {
  switch (id) {
    case cmd::kIndicatorCaps: return QStringLiteral("CAPS");
    case cmd::kIndicatorNum: return QStringLiteral("NUM");
    case cmd::kIndicatorScroll: return QStringLiteral("SCRL");
    default: return QString();
  }
}

}  // namespace

CAltDialog::CAltDialog(QWidget* parent) : QDialog(parent) {
  m_strings[strid::kReady] = QStringLiteral("Ready");
  setMouseTracking(true);
  m_idle = new QTimer(this);
  m_idle->setInterval(idle::kTimerPeriodMs);
  connect(m_idle, &QTimer::timeout, this, &CAltDialog::idleUpdate);
}

CAltDialog::~CAltDialog() = default;

void CAltDialog::setString(int id, const QString& text) { m_strings[id] = text; }

QString CAltDialog::loadString(int id) const {
  auto it = m_strings.find(id);
  return it == m_strings.end() ? QString() : it->second;
}

bool CAltDialog::isBar(const QWidget* w) const {
  return w == m_status || w == m_toolBar || w == m_menuBar;
}

int CAltDialog::menuHeight() const { return m_menuBar ? m_menuBar->sizeHint().height() : 0; }

void CAltDialog::moveControls(int dy) {
  for (QObject* o : children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->isWindow() || isBar(w)) continue;
    w->move(w->x(), w->y() + dy);
  }
}

void CAltDialog::setMenuBar(QMenuBar* bar) {
  if (m_menuBar || !bar) return;
  // A menu lies above the client area, so the controls make room for it.
  bar->setParent(this);
  m_menuBar = bar;
  const int h = menuHeight();
  moveControls(h);
  resize(width(), height() + h);
  for (QAction* a : bar->actions())
    if (a->menu()) watchMenu(a->menu());
  bar->show();
  repositionBars();
}

void CAltDialog::watchMenu(QMenu* menu) {
  connect(menu, &QMenu::hovered, this, [this](QAction* a) {
    const unsigned flags = (a->isSeparator() || a->menu()) ? 0x10u : 0u;
    menuSelect(commandOf(a), flags);
  });
  connect(menu, &QMenu::aboutToHide, this, [this] { menuSelect(0, 0xFFFF); });
  connect(menu, &QMenu::aboutToShow, this, [this, menu] {
    for (QAction* a : menu->actions())
      if (const int id = commandOf(a)) updateCommandUi(a, id);
  });
  for (QAction* a : menu->actions())
    if (a->menu()) watchMenu(a->menu());
}

QAction* CAltDialog::makeCommand(int id, const QString& text) {
  auto* a = new QAction(text, this);
  a->setProperty(kCommandProperty, id);
  connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
  if (id == cmd::kViewStatusBar || id == cmd::kViewToolBar) a->setCheckable(true);
  return a;
}

QAction* CAltDialog::addToolBarCommand(int id, const QIcon& icon, const QString& text) {
  if (!m_toolBar) return nullptr;
  QAction* a = makeCommand(id, text);
  a->setIcon(icon);
  m_toolBar->addAction(a);
  if (QWidget* w = m_toolBar->widgetForAction(a)) w->installEventFilter(this);
  return a;
}

void CAltDialog::addToolBarSeparator() {
  if (m_toolBar) m_toolBar->addSeparator();
}

bool CAltDialog::loadToolBar(QToolBar*, int) { return true; }

bool CAltDialog::transferData(bool) { return true; }

bool CAltDialog::createBars(bool enableToolTips, bool createStatusBar, const std::vector<int>* panes, int toolBarId,
                            uint32_t) {
  m_toolTips = enableToolTips;
  if (createStatusBar) {
    m_status = new QStatusBar(this);
    m_status->setSizeGripEnabled(false);
    m_message = new QLabel(m_status);
    m_message->setIndent(2);
    m_status->addWidget(m_message, 1);
    const std::vector<int> defaults{cmd::kPaneMessage, cmd::kIndicatorCaps, cmd::kIndicatorNum, cmd::kIndicatorScroll};
    for (int id : panes ? *panes : defaults) {
      if (id == cmd::kPaneMessage) continue;
      auto* l = new QLabel(indicatorText(id), m_status);
      l->setAlignment(Qt::AlignCenter);
      l->setFrameShape(QFrame::Panel);
      l->setFrameShadow(QFrame::Sunken);
      l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
      l->setEnabled(false);
      m_status->addPermanentWidget(l);
      m_panes[id] = l;
    }
    m_statusCreated = true;
    showPrompt(strid::kReady);
    m_status->show();
  }
  if (toolBarId != 0) {
    m_toolBar = new QToolBar(this);
    m_toolBar->setIconSize(QSize(16, 15));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    if (!loadToolBar(m_toolBar, toolBarId)) {
      delete m_toolBar;
      m_toolBar = nullptr;
      return false;
    }
    m_toolBarCreated = true;
    m_toolBar->show();
  }
  if (m_statusCreated || m_toolBarCreated) {
    const int top = m_toolBar ? m_toolBar->sizeHint().height() : 0;
    const int bottom = m_status ? m_status->sizeHint().height() : 0;
    moveControls(top);
    resize(width(), height() + top + bottom);
    repositionBars();
  }
  idleUpdate();
  return true;
}

void CAltDialog::repositionBars() {
  const int w = width();
  int y = 0;
  if (m_menuBar) {
    m_menuBar->setGeometry(0, 0, w, menuHeight());
    y = menuHeight();
  }
  if (m_toolBar && !m_toolBar->isHidden()) m_toolBar->setGeometry(0, y, w, m_toolBar->sizeHint().height());
  if (m_status && !m_status->isHidden()) {
    const int h = m_status->sizeHint().height();
    m_status->setGeometry(0, height() - h, w, h);
  }
}

QRect CAltDialog::contentRect() const {
  QRect r(0, menuHeight(), width(), height() - menuHeight());
  if (m_status && !m_status->isHidden()) r.setBottom(std::max(r.top(), m_status->geometry().top() - 1));
  if (m_toolBar && !m_toolBar->isHidden())
    r.setTop(std::min(r.bottom(), m_toolBar->geometry().top() + m_toolBar->sizeHint().height() + 1));
  r.setTop(r.top() + 23);
  return r;
}

void CAltDialog::showPrompt(int id) {
  if (!m_message) return;
  m_shownPrompt = id;
  if (id == 0) {
    m_message->clear();
    return;
  }
  const QString s = loadString(id);
  m_message->setText(id == strid::kReady ? s : s.section(u'\n', 0, 0));
}

QString CAltDialog::messageText() const { return m_message ? m_message->text() : QString(); }

QString CAltDialog::toolTipText(int id) {
  if (id == 0 || id == cmd::kStatusBarId) return QString();
  const QString s = loadString(id);
  const int nl = s.indexOf(u'\n');
  showPrompt(id);
  m_toolTipPrompt = true;
  return nl < 0 ? QString() : s.mid(nl + 1).left(80);
}

void CAltDialog::toolTipDone() {
  if (!m_toolTipPrompt) return;
  m_toolTipPrompt = false;
  showPrompt(strid::kReady);
}

int CAltDialog::promptIdForMenuItem(int id, unsigned flags) {
  if (flags == 0xFFFF) return strid::kReady;
  if ((flags & 0x870) || id == 0) return 0;
  if (id >= 0xF000 && id < 0xF1F0) return 0xEF00 + ((id - 0xF000) >> 4);
  return id;
}

void CAltDialog::menuSelect(int id, unsigned flags) {
  m_pendingPrompt = promptIdForMenuItem(id, flags);
  // Qt has no idle message for an open menu, so the prompt is shown right away.
  if (m_pendingPrompt != m_shownPrompt || flags == 0xFFFF) showPrompt(m_pendingPrompt);
}

QLabel* CAltDialog::pane(int id) const {
  if (id == cmd::kPaneMessage) return m_message;
  auto it = m_panes.find(id);
  return it == m_panes.end() ? nullptr : it->second;
}

bool CAltDialog::isStatusBarShown() const { return m_status && !m_status->isHidden(); }
bool CAltDialog::isToolBarShown() const { return m_toolBar && !m_toolBar->isHidden(); }

void CAltDialog::toggleStatusBar() {
  if (!m_status) return;
  const int h = m_status->sizeHint().height();
  if (isStatusBarShown()) {
    m_status->hide();
    resize(width(), height() - h);
  } else {
    m_status->show();
    resize(width(), height() + h);
  }
  repositionBars();
}

void CAltDialog::toggleToolBar() {
  if (!m_toolBar) return;
  const int h = m_toolBar->sizeHint().height();
  if (isToolBarShown()) {
    m_toolBar->hide();
    moveControls(-h);
    resize(width(), height() - h);
  } else {
    m_toolBar->show();
    moveControls(h);
    resize(width(), height() + h);
  }
  repositionBars();
}

int CAltDialog::exec() {
  m_createdModeless = false;
  m_ownModal = true;
  const int r = QDialog::exec();
  m_ownModal = false;
  return r;
}

bool CAltDialog::onCommand(int id) {
  switch (id) {
    case cmd::kOk:
      if (!transferData(true)) return true;
      if (m_createdModeless)
        close();
      else
        accept();
      return true;
    case cmd::kCancel:
      if (m_createdModeless)
        close();
      else
        reject();
      return true;
    case cmd::kViewStatusBar:
      toggleStatusBar();
      return true;
    case cmd::kViewToolBar:
      toggleToolBar();
      return true;
    default:
      return false;
  }
}

void CAltDialog::updateCommandUi(QAction* action, int id) {
  if (id == cmd::kViewStatusBar) action->setChecked(isStatusBarShown());
  if (id == cmd::kViewToolBar) action->setChecked(isToolBarShown());
}

void CAltDialog::idleUpdate() {
  const LockKeyState keys = queryLockKeys();
  if (QLabel* l = pane(cmd::kIndicatorCaps)) l->setEnabled(keys.caps);
  if (QLabel* l = pane(cmd::kIndicatorNum)) l->setEnabled(keys.num);
  if (QLabel* l = pane(cmd::kIndicatorScroll)) l->setEnabled(keys.scroll);
  if (m_toolBar)
    for (QAction* a : m_toolBar->actions())
      if (const int id = commandOf(a)) updateCommandUi(a, id);
}

void CAltDialog::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  if (m_status || m_toolBar || m_menuBar) repositionBars();
}

void CAltDialog::mouseMoveEvent(QMouseEvent* e) {
  toolTipDone();
  QDialog::mouseMoveEvent(e);
}

bool CAltDialog::eventFilter(QObject* o, QEvent* e) {
  auto* button = qobject_cast<QToolButton*>(o);
  if (button && m_toolTips && e->type() == QEvent::ToolTip) {
    const QString tip = toolTipText(commandOf(button->defaultAction()));
    auto* help = static_cast<QHelpEvent*>(e);
    if (tip.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), tip, button);
    return true;
  }
  if (button && e->type() == QEvent::Leave) toolTipDone();
  return QDialog::eventFilter(o, e);
}

void CAltDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  m_idle->start();
  idleUpdate();
}

void CAltDialog::hideEvent(QHideEvent* e) {
  m_idle->stop();
  QDialog::hideEvent(e);
}
