#include "app/review_band.h"

#include "app/recording_review.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace {
// Grouped the same on every machine: the band's numbers read as in the manual.
const QLocale Numbers(QLocale::English, QLocale::UnitedStates);
} // namespace

QString RowCountText(std::size_t rows) {
    return Numbers.toString(static_cast<qulonglong>(rows)) +
           (rows == 1 ? QStringLiteral(" row") : QStringLiteral(" rows"));
}

QString DurationText(std::uint32_t ms) {
    const std::uint32_t hours = ms / 3'600'000;
    const std::uint32_t minutes = ms / 60'000 % 60;
    const double seconds = ms % 60'000 / 1000.0;
    if (hours == 0 && minutes == 0)
        return Numbers.toString(seconds, 'f', 3) + QStringLiteral(" s");
    const QString s = QStringLiteral("%1 s").arg(seconds, 4, 'f', 1, QLatin1Char('0'));
    if (hours == 0)
        return QStringLiteral("%1 min ").arg(minutes) + s;
    return QStringLiteral("%1 h %2 min ").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')) + s;
}

ReviewBand::ReviewBand(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 2, 2);
    text_ = new QLabel(this);
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    back_ = new QPushButton(QStringLiteral("Back to live"), this);
    row->addWidget(text_, 1);
    row->addWidget(back_);
    connect(back_, &QPushButton::clicked, this, &ReviewBand::backToLive);
    hide();
}

void ReviewBand::ShowLoading(const QString& fileName) {
    text_->setText(QStringLiteral("Opening %1 ...").arg(fileName));
    show();
}

void ReviewBand::ShowSummary(const ReviewSummary& s) {
    QString text = QStringLiteral("Review of %1: %2, %3; %4 with the error bit, %5 with the "
                                  "warning bit.")
                       .arg(s.FileName, RowCountText(s.Rows), DurationText(s.DurationMs),
                            Numbers.toString(static_cast<qulonglong>(s.ErrorRows)),
                            Numbers.toString(static_cast<qulonglong>(s.WarningRows)));
    if (s.BadLines > 0)
        text += QStringLiteral(" %1 left out. Line %2: %3.")
                    .arg(s.BadLines == 1
                             ? QStringLiteral("1 bad line")
                             : QStringLiteral("%1 bad lines")
                                   .arg(Numbers.toString(static_cast<qulonglong>(s.BadLines))))
                    .arg(s.FirstBadLine)
                    .arg(s.FirstBadReason);
    summary_ = text;
    text_->setText(text);
    show();
}

void ReviewBand::LoadingFailed() {
    if (summary_.isEmpty())
        hide();
    else
        text_->setText(summary_);
}

void ReviewBand::Clear() {
    summary_.clear();
    hide();
}

QString ReviewBand::Text() const {
    return text_->text();
}
