#pragma once
// The History page's table: one row per result, newest first, the columns a
// technician looks for and the verdict in its colour.

#include "results/installation_result.h"

#include <QAbstractTableModel>
#include <vector>

class HistoryModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Part, Serial, Verdict, GapMin, GapMax, GapMean, Reason, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    /// The rows from now on.
    void SetResults(std::vector<Results::InstallationResult> results);
    [[nodiscard]] const Results::InstallationResult& At(int row) const {
        return results_[static_cast<std::size_t>(row)];
    }
    /// A cell as the table shows it, and as "Export CSV…" writes it.
    [[nodiscard]] QString Text(int row, int column) const;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    std::vector<Results::InstallationResult> results_;
};

/// "2026-12-10 11:07:12" in local time for "2026-12-10T10:07:12Z"; the text as
/// it is when it is not such a time.
[[nodiscard]] QString LocalTimeText(const std::string& utc);
