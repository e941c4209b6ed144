#pragma once

#include <QSpinBox>

// A number box with a range. It takes digits, signs and the decimal
// separator while typing; a value outside the range is replaced by the
// nearest bound when the box loses the focus.
class SpinEdit : public QSpinBox {
    Q_OBJECT

public:
    explicit SpinEdit(QWidget* parent = nullptr);
    // The text as typed, which may not be an integer yet.
    QString typedText() const;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
};
