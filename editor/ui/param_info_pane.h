#pragma once

#include <QString>
#include <QWidget>

class CParamTree;

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
