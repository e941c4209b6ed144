#include "spin_edit.h"

#include <QLocale>
#include <algorithm>

namespace {

constexpr char32_t MinusSign = 0x2212;

// Marks that only steer the direction of text: Persian and Arabic locales
// write them before the sign.
bool isDirectionMark(char32_t c) { return c == 0x200E || c == 0x200F || c == 0x061C; }

bool isSign(char32_t c) { return c == '+' || c == '-' || c == MinusSign; }

}  // namespace

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(true);
    setAccelerated(true);
}

int SpinEdit::typedValue() const { return valueOf(text()); }

// Every locale's integers in one reading: a sign ('+', '-' or the minus sign
// U+2212) and decimal digits of any script, direction marks aside. QLocale's
// own toInt cannot read back the negative numbers it writes where the sign
// carries a direction mark (fa_IR, ar_EG). A decimal fraction (after the
// locale's decimal separator or a point) rounds to the nearest integer, halves
// away from zero: 2.5 is 3, never the box's minimum.
std::optional<long long> SpinEdit::integerOf(const QString& text) const
{
    // Beyond any range, yet far from overflowing.
    constexpr long long Saturated = 1'000'000'000'000;
    const QList<uint> decimal = locale().decimalPoint().toUcs4();
    bool negative = false;
    bool sign = false;
    bool digits = false;
    bool fraction = false;
    bool firstFractionDigit = true;
    bool roundUp = false;
    long long value = 0;
    for (char32_t c : text.toUcs4()) {
        if (isDirectionMark(c))
            continue;
        if (isSign(c) && !sign && !digits && !fraction) {
            sign = true;
            negative = c != '+';
            continue;
        }
        if (!fraction && (c == '.' || decimal.contains(c))) {
            fraction = true;
            continue;
        }
        if (!QChar::isDigit(c))
            return std::nullopt;
        if (fraction) {
            if (firstFractionDigit)
                roundUp = QChar::digitValue(c) >= 5;
            firstFractionDigit = false;
            continue;
        }
        digits = true;
        value = std::min(value * 10 + QChar::digitValue(c), Saturated);
    }
    if (!digits && firstFractionDigit)
        return std::nullopt;
    if (roundUp)
        value = std::min(value + 1, Saturated);
    return negative ? -value : value;
}

int SpinEdit::valueOf(const QString& text) const
{
    const std::optional<long long> value = integerOf(text);
    if (!value)
        return minimum();
    return static_cast<int>(std::clamp<long long>(*value, minimum(), maximum()));
}

QValidator::State SpinEdit::validate(QString& input, int&) const
{
    const QList<uint> decimal = locale().decimalPoint().toUcs4();
    for (char32_t c : input.toUcs4())
        if (!QChar::isDigit(c) && !isSign(c) && !isDirectionMark(c) && !decimal.contains(c))
            return QValidator::Invalid;
    const std::optional<long long> value = integerOf(input);
    return value && *value >= minimum() && *value <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

// Leaving the box with a text that is no value in the range: the box then
// shows what is stored for that text.
void SpinEdit::fixup(QString& input) const { input = textFromValue(valueOf(input)); }

int SpinEdit::valueFromText(const QString& text) const { return valueOf(text); }
