// A position recording opened for review on the Position chart, from the
// page's "Open recording…", the command line or the desktop's "Open with".
// Reading goes on behind it (the live chart keeps its points); starting a
// recording ends it.
#include "app/Velor_SPI_Main.h"
#include "app/recording_review.h"
#include "app/review_band.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>

void TMainForm::SetUpReview() {
    review_ = new RecordingReview(chartPosition);
    connect(btnOpenRecording, &QPushButton::clicked, this, &TMainForm::btnOpenRecordingClick);
    connect(reviewBand, &ReviewBand::backToLive, this, &TMainForm::EndReview);
    connect(review_, &RecordingReview::refused, this, [this](const QString& message) {
        reviewBand->LoadingFailed();
        env_.Boxes->Show(this, MessageBoxes::Kind::Error, message);
    });
    connect(review_, &RecordingReview::opened, this, [this](const ReviewSummary& summary) {
        reviewBand->ShowSummary(summary);
        PositionExplorer->SetHooks({.LiveView = [this] { review_->WholeView(); },
                                    .PointGraph = [this] { return review_->AngleLine(); },
                                    .PointText = [this](int i) { return review_->PointText(i); }});
        PositionExplorer->Follow();
        RedrawChart(chartPosition);
    });
}

void TMainForm::OpenRecording(const QString& path) {
    Pages->setCurrentWidget(tabEncPos);
    if (review_->Open(path))
        reviewBand->ShowLoading(QFileInfo(path).fileName());
}

void TMainForm::EndReview() {
    if (!review_->Active())
        return;
    review_->End();
    reviewBand->Clear();
    PositionExplorer->SetHooks(PositionHooks());
    PositionExplorer->Follow();
    RedrawChart(chartPosition);
}

void TMainForm::btnOpenRecordingClick() {
    auto* dialog = new QFileDialog(this, QStringLiteral("Open recording"), files_.Path(),
                                   QStringLiteral("Position recordings (*.csv);;All files (*)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this, &TMainForm::OpenRecording);
    // Window-modal without a nested event loop: the readings go on meanwhile.
    dialog->open();
}
