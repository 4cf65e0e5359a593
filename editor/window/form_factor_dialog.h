#pragma once

// "Choose a Form Factor": asked by New and by Load.

#include <QDialog>

#include "parameter_schema.h"

class QRadioButton;

class CFormFactorDialog : public QDialog {
  Q_OBJECT
 public:
  // `text` may hold "\r\n" line breaks.
  CFormFactorDialog(const QString& text, QWidget* parent = nullptr);

  zefr::FormFactor chosen() const;
  QRadioButton* button(zefr::FormFactor formFactor) const;

 private:
  QRadioButton* m_buttons[3];
};
