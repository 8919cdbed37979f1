#pragma once
// The band above the Position chart while a recording is reviewed: which
// file, how many rows over how long, how many were flagged, what could not
// be read, and the way back to the live chart.

#include <QFrame>

class QLabel;
class QPushButton;
struct ReviewSummary;

class ReviewBand final : public QFrame {
    Q_OBJECT
public:
    explicit ReviewBand(QWidget* parent = nullptr);

    void ShowLoading(const QString& fileName);
    void ShowSummary(const ReviewSummary& summary);
    /// A file that did not open: back to the review shown before, if any.
    void LoadingFailed();
    /// The review has ended.
    void Clear();
    [[nodiscard]] QString Text() const;

signals:
    void backToLive();

private:
    QLabel* text_;
    QPushButton* back_;
    QString summary_; ///< the review shown; empty: none
};

/// "1,000,000 rows": a count with the thousands grouped.
[[nodiscard]] QString RowCountText(std::size_t rows);
/// "16 min 40.0 s", "1 h 02 min 05.0 s", "12.345 s".
[[nodiscard]] QString DurationText(std::uint32_t ms);
