#pragma once
// "  History  ": every installation result kept, newest first, narrowed by a
// serial or part number; exported as CSV; a report opened with a double-click.
// The store is read on its worker's thread: the table fills when it answers.

#include "app/main_form_environment.h"
#include "results/installation_result.h"

#include <QWidget>

class FilesFolder;
class HistoryModel;
class PageHost;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QSettings;
class QTableView;
class QTimer;
class ResultsWorker;

class HistoryPage final : public QWidget {
    Q_OBJECT
public:
    /// Results come from `results`; files go to `files`; the database
    /// chosen with "Results database…" is kept in `env.Settings`.
    HistoryPage(PageHost& host, ResultsWorker& results, FilesFolder& files,
                const MainFormEnvironment& env);

    QLabel* lblHistoryFilter{};
    QLineEdit* edHistoryFilter{}; ///< "Serial or part number"
    QPushButton* btnExportCsv{};
    QPushButton* btnResultsDatabase{}; ///< "Results database…": a file or a server
    QLabel* lblHistoryStore{};         ///< where the results are kept, and how many are shown
    QTableView* tblHistory{};
    HistoryModel* model{};

    /// Asks for the rows again; they come when the store answers.
    void Refresh();
    void btnExportCsvClick();
    void btnResultsDatabaseClick();
    /// Results go to, and come from, what `text` names from now on (and in
    /// later runs); a URL with a password in it is refused.
    void ChooseResultsDatabase(const QString& text);
    void tblHistoryDoubleClick(const QModelIndex& index);

    /// Most rows the table shows.
    static constexpr std::size_t MaxRows = 1000;
    /// While the page is shown, results others add are looked for this often.
    static constexpr int RefreshMs = 5000;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Shown(int ticket, const std::vector<Results::InstallationResult>& results, bool ok,
               const QString& message);
    void ExportTo(const QString& chosen);
    /// Where the results are kept, and then `shown`.
    void ShowStore(const QString& shown = {});

    PageHost& host_;
    ResultsWorker& results_;
    FilesFolder& files_;
    MainFormEnvironment::SaveFileNameQuestion askCsvFileName_;
    std::function<void(const QString&)> openFile_;
    MainFormEnvironment::LocationQuestion askLocation_;
    std::shared_ptr<QSettings> settings_;
    QTimer* refresh_{};
    int ticket_ = 0;       ///< of the store in use: an answer of another is not shown
    bool reading_ = false; ///< a reading is on its way
    bool again_ = false;   ///< asked for again meanwhile
};
