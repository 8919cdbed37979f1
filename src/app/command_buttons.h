#pragma once
// Buttons that send the encoder a command: they work only while an encoder
// is connected, and their tooltip says why when they do not.

#include <QString>
#include <vector>

class QPushButton;

class CommandButtons {
public:
    /// Takes each button's tooltip as the one it shows while it works.
    explicit CommandButtons(std::vector<QPushButton*> buttons);

    /// Enabled while an encoder is connected; `busy` (null: none) not while
    /// its command runs.
    void Update(bool connected, const QPushButton* busy = nullptr);

private:
    std::vector<QPushButton*> buttons_;
    std::vector<QString> hints_;
};
