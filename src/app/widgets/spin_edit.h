#pragma once
// Integer field with up/down buttons. Text that does not read as an integer
// reads as the minimum; a value is brought to the nearest bound when the field
// loses focus or is set by the program.

#include <QSpinBox>

class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    SpinEdit(int minimum, int maximum, int value, int step = 1, QWidget* parent = nullptr);

    /// The value the current text stands for, even while the user is typing.
    [[nodiscard]] int Value() const;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;
};
