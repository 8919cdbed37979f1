#include "app/pages/history_model.h"

#include "app/display_text.h"
#include "app/window_colors.h"

#include <QDateTime>

namespace {
QString Figure(const std::optional<double>& mm) {
    return mm ? LocaleFixed(*mm, 5, 3) : QString();
}

std::optional<Monitor::Verdict> VerdictNamed(const std::string& name) {
    for (const auto kind :
         {Monitor::Verdict::Pass, Monitor::Verdict::Fail, Monitor::Verdict::Incomplete})
        if (Monitor::VerdictName(kind) == name)
            return kind;
    return std::nullopt;
}
} // namespace

QString LocalTimeText(const std::string& utc) {
    const QDateTime t = QDateTime::fromString(QString::fromStdString(utc), Qt::ISODate);
    return t.isValid() ? t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                       : QString::fromStdString(utc);
}

void HistoryModel::SetResults(std::vector<Results::InstallationResult> results) {
    beginResetModel();
    results_ = std::move(results);
    endResetModel();
}

QString HistoryModel::Text(int row, int column) const {
    const Results::InstallationResult& r = At(row);
    switch (column) {
    case Time:
        return LocalTimeText(r.TimeUtc);
    case Part:
        return QString::fromStdString(r.PartNumber);
    case Serial:
        return QString::fromStdString(r.EncoderSerial);
    case Verdict:
        return QString::fromStdString(r.Verdict);
    case GapMin:
        return Figure(r.Gap.MinMm);
    case GapMax:
        return Figure(r.Gap.MaxMm);
    case GapMean:
        return Figure(r.Gap.MeanMm);
    case Reason:
        return r.Reasons.empty() ? QString() : QString::fromStdString(r.Reasons.front());
    default:
        return {};
    }
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(results_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return Text(index.row(), index.column());
    if (role == Qt::ToolTipRole && index.column() == Reason)
        return Text(index.row(), Reason);
    if (role == Qt::TextAlignmentRole && index.column() >= GapMin && index.column() <= GapMean)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (index.column() == Verdict) {
        const auto kind = VerdictNamed(At(index.row()).Verdict);
        if (role == Qt::BackgroundRole && kind)
            return VerdictColor(*kind);
        if (role == Qt::ForegroundRole && kind == Monitor::Verdict::Pass)
            return QColor(Qt::white);
    }
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const Titles[] = {"Time",         "Part number", "Serial",
                                         "Verdict",      "Air gap min", "Air gap max",
                                         "Air gap mean", "First reason"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(Titles[section])
                                                 : QVariant();
}
