#include "app/widgets/spin_edit.h"

#include <QLineEdit>
#include <algorithm>

SpinEdit::SpinEdit(int minimum, int maximum, int value, int step, QWidget* parent)
    : QSpinBox(parent) {
    setRange(minimum, maximum);
    setSingleStep(step);
    setValue(value);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int SpinEdit::valueFromText(const QString& text) const {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok)
        return minimum();
    return static_cast<int>(std::clamp<qlonglong>(v, minimum(), maximum()));
}

int SpinEdit::Value() const {
    return valueFromText(lineEdit()->text());
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
    // Anything may be typed; it is read (and corrected) when the field is left.
    bool ok = false;
    const qlonglong v = input.trimmed().toLongLong(&ok);
    if (ok && v >= minimum() && v <= maximum())
        return QValidator::Acceptable;
    return QValidator::Intermediate;
}

void SpinEdit::fixup(QString& input) const {
    input = QString::number(valueFromText(input));
}
