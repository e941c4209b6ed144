#include "spin_edit.h"

#include <QLineEdit>
#include <QLocale>

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(true);
    setAccelerated(true);
}

QString SpinEdit::typedText() const { return lineEdit()->text(); }

QValidator::State SpinEdit::validate(QString& input, int& pos) const
{
    const QChar decimal = locale().decimalPoint().isEmpty() ? QChar('.') : locale().decimalPoint().at(0);
    for (QChar c : input)
        if (!c.isDigit() && c != '+' && c != '-' && c != decimal)
            return QValidator::Invalid;
    const QValidator::State inRange = QSpinBox::validate(input, pos);
    return inRange == QValidator::Acceptable ? inRange : QValidator::Intermediate;
}
