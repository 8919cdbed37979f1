#include "app/pages/encoder_config_page.h"

#include "app/pages/page_host.h"
#include "app/widgets/spin_edit.h"

#include <QGridLayout>
#include <QPushButton>

EncoderConfigPage::EncoderConfigPage(PageHost& host) : host_(host) {
    auto* grid = new QGridLayout(this);
    const QString noFeedback =
        QStringLiteral("Note:\nThere is no visual feedback in the software when the function "
                       "has finished. \nIt finishes in under 1 second.");
    btnFactoryReset = new QPushButton(QStringLiteral("Reset to Factory settings"), this);
    btnFactoryReset->setToolTip(noFeedback);
    seSetZero = new SpinEdit(0, 16383, 0, 1, this);
    btnSetZeroOffset = new QPushButton(QStringLiteral("Set zero offset (counts)"), this);
    btnSaveParams = new QPushButton(QStringLiteral("Save to NVRAM"), this);
    btnSaveParams->setToolTip(noFeedback);
    seSetMultiturn = new SpinEdit(-32768, 32768, 0, 1, this);
    btnSetMultiturn = new QPushButton(QStringLiteral("Preset multiturn counter"), this);
    // No label of their own: the button beside each names what it sends.
    seSetZero->setAccessibleName(btnSetZeroOffset->text());
    seSetMultiturn->setAccessibleName(btnSetMultiturn->text());
    grid->addWidget(btnFactoryReset, 0, 1);
    grid->addWidget(seSetZero, 1, 0);
    grid->addWidget(btnSetZeroOffset, 1, 1);
    grid->addWidget(btnSaveParams, 2, 1);
    grid->addWidget(seSetMultiturn, 3, 0);
    grid->addWidget(btnSetMultiturn, 3, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);

    connect(btnFactoryReset, &QPushButton::clicked, this, &EncoderConfigPage::btnFactoryResetClick);
    connect(btnSaveParams, &QPushButton::clicked, this, &EncoderConfigPage::btnSaveParamsClick);
    connect(btnSetZeroOffset, &QPushButton::clicked, this,
            &EncoderConfigPage::btnSetZeroOffsetClick);
    connect(btnSetMultiturn, &QPushButton::clicked, this, &EncoderConfigPage::btnSetMultiturnClick);
    commands_.emplace(
        std::vector{btnFactoryReset, btnSaveParams, btnSetZeroOffset, btnSetMultiturn});
    commands_->Update(false);
}

void EncoderConfigPage::btnFactoryResetClick() {
    host_.Ask(Engine::SendConfig{Engine::ConfigCommand::FactoryReset, 0});
}

void EncoderConfigPage::btnSaveParamsClick() {
    host_.Ask(Engine::SendConfig{Engine::ConfigCommand::SaveToNvram, 0});
}

void EncoderConfigPage::btnSetZeroOffsetClick() {
    host_.Ask(Engine::SendConfig{Engine::ConfigCommand::ZeroOffset, seSetZero->Value()});
}

void EncoderConfigPage::btnSetMultiturnClick() {
    host_.Ask(Engine::SendConfig{Engine::ConfigCommand::MultiturnPreset, seSetMultiturn->Value()});
}

void EncoderConfigPage::Render(const Engine::EncoderConnection& r) {
    commands_->Update(r.Connected);
}

void EncoderConfigPage::Render(const Engine::SetZeroOutcome& r) {
    if (r.ZeroOffset)
        seSetZero->setValue(*r.ZeroOffset);
    if (r.MultiturnValue)
        seSetMultiturn->setValue(*r.MultiturnValue);
}
