#pragma once
// "  Encoder Config  ": factory reset, zero offset, save to NVRAM and the
// multiturn preset.

#include "app/command_buttons.h"
#include "engine/engine_reports.h"

#include <QWidget>
#include <optional>

class PageHost;
class QPushButton;
class SpinEdit;

class EncoderConfigPage final : public QWidget {
    Q_OBJECT
public:
    explicit EncoderConfigPage(PageHost& host);

    QPushButton* btnFactoryReset{};
    SpinEdit* seSetZero{};
    QPushButton* btnSetZeroOffset{};
    QPushButton* btnSaveParams{};
    SpinEdit* seSetMultiturn{};
    QPushButton* btnSetMultiturn{};

    void btnFactoryResetClick();
    void btnSetZeroOffsetClick();
    void btnSaveParamsClick();
    void btnSetMultiturnClick();

    void Render(const Engine::EncoderConnection& r);
    void Render(const Engine::SetZeroOutcome& r);

private:
    PageHost& host_;
    std::optional<CommandButtons> commands_;
};
