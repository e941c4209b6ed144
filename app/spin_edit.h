#pragma once

#include <QSpinBox>
#include <optional>

// A number box with a range. It shows integers as its locale writes them and
// reads them so, or with ASCII digits and signs; it takes digits, signs and
// the decimal separator while typing; a value outside the range is replaced
// by the nearest bound when the box loses the focus.
class SpinEdit : public QSpinBox {
    Q_OBJECT

public:
    explicit SpinEdit(QWidget* parent = nullptr);
    // The value of the text as it stands, typing perhaps not finished: brought
    // into the range, or the range's lower end when the text is no integer.
    int typedValue() const;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;

private:
    std::optional<long long> integerOf(const QString& text) const;
    int valueOf(const QString& text) const;
};
