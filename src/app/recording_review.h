#pragma once
// A position recording opened for review on the Position chart. The file is
// read on a thread of its own; its rows are then drawn in graphs of their own
// against the time column while the live graphs are hidden. The live graphs
// keep taking readings meanwhile, so going back to live finds all of them.

#include "monitor/recording_reader.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

class QCPAbstractPlottable;
class QCPGraph;
class QCustomPlot;
class QThread;

/// What the review band says about an opened file.
struct ReviewSummary {
    QString FileName;
    std::size_t Rows = 0;
    std::uint32_t DurationMs = 0;
    std::size_t ErrorRows = 0;
    std::size_t WarningRows = 0;
    std::size_t BadLines = 0;
    std::size_t FirstBadLine = 0;
    QString FirstBadReason;
};

class RecordingReview final : public QObject {
    Q_OBJECT
public:
    explicit RecordingReview(QCustomPlot* chart);
    /// Waits for a read in progress: it owns nothing of the window's.
    ~RecordingReview() override;

    /// Starts reading `path`; opened() or refused() follows. A review shown
    /// stays until the new file has been read. False, and nothing happens,
    /// while another file is being read.
    [[nodiscard]] bool Open(const QString& path);
    /// Back to the live graphs (the caller sets their view); nothing when
    /// not reviewing.
    void End();
    /// The axes around the whole file: its time, a turn, and its turns.
    void WholeView();
    /// Hides the live graphs, also one made since the review began.
    void HideLive();

    [[nodiscard]] bool Active() const { return !graphs_.empty(); }
    [[nodiscard]] bool Loading() const { return reader_ != nullptr; }
    /// The line of the review's angle, in time order: the explorer's points.
    [[nodiscard]] QCPGraph* AngleLine() const { return angle_; }
    /// The hover text of the point at `index` of AngleLine(): row number,
    /// angle, turns (when the rows carry them) and status.
    [[nodiscard]] QString PointText(int index) const;

signals:
    void opened(const ReviewSummary& summary);
    /// The file was not opened; `message` says why, naming it.
    void refused(const QString& message);

private:
    void Show(const QString& path, Monitor::RecordingReadResult& result);

    QCustomPlot* chart_;
    QThread* reader_ = nullptr;
    QCPGraph* angle_ = nullptr;
    QCPGraph* turnsLine_ = nullptr;
    std::vector<QCPAbstractPlottable*> graphs_; ///< the review's own
    std::vector<std::uint8_t> flags_;           ///< per point of AngleLine()
    std::vector<std::int32_t> turns_;           ///< per point; empty without turns
    std::vector<std::uint32_t> rowOf_;          ///< per point: its row; empty when in file order
    std::vector<QPointer<QCPAbstractPlottable>> hidden_; ///< live graphs to show again
    QString liveLabel_;
};

/// The Position chart's value axes: a turn on the right, and on the left the
/// turn counts of `turns` (null or empty: none) with half a turn of room.
void PositionValueAxes(QCustomPlot& chart, const QCPGraph* turns);
