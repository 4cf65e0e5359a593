#include "param_info_pane.h"

#include "param_paint.h"
#include "param_tree.h"

using namespace param_paint;

CParamInfoPane::CParamInfoPane(CParamTree* tree) : QWidget(tree), m_tree(tree) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CParamInfoPane::texts(QString& title, QString& help, QString& message) const {
  title.clear();
  help.clear();
  message.clear();
  if (const CParamItem* f = m_tree->focusedItem()) {
    title = f->label();
    help = f->helpText();
    message = f->messageText();
  } else if (m_tree->options() & kTreeShowIdleText) {
    title = QStringLiteral("No Item Selected");
    help = QStringLiteral("Select an item to see its description.");
  }
}

void CParamInfoPane::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), faceColor());
  sunkenOuterEdge(p, rect());
  const QRect r = rect().adjusted(4, 4, -4, -4);
  p.setClipRect(r);
  p.setPen(m_tree->isEnabled() ? sys(QPalette::ButtonText) : greyText());
  QString title, help, message;
  texts(title, help, message);
  int y = r.top();
  if (!title.isEmpty()) {
    p.setFont(ParamFonts::bold());
    const QFontMetrics fm(ParamFonts::bold());
    p.drawText(QRect(r.left(), y, r.width(), fm.height()), Qt::AlignLeft | Qt::TextSingleLine, title);
    y += fm.height();
  }
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
  if (!help.isEmpty()) {
    p.setFont(ParamFonts::normal());
    QRect used;
    p.drawText(QRect(r.left(), y, r.width(), 10000), flags, help, &used);
    y += used.height();
  }
  if (!message.isEmpty()) {
    p.setFont(ParamFonts::bold());
    p.setPen(QColor(255, 0, 0));
    p.drawText(QRect(r.left(), y, r.width(), 10000), flags, message);
  }
}
