#include "app/pages/history_page.h"

#include "app/files_folder.h"
#include "app/pages/history_model.h"
#include "app/pages/page_host.h"
#include "app/results_worker.h"
#include "results/results_url.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace {
/// A field of the export: quoted when it holds the separator, a quote or a
/// line break, as spreadsheets read it.
QString CsvField(QString text) {
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}
} // namespace

HistoryPage::HistoryPage(PageHost& host, ResultsWorker& results, FilesFolder& files,
                         const MainFormEnvironment& env)
    : host_(host), results_(results), files_(files), askCsvFileName_(env.AskCsvFileName),
      openFile_(env.OpenFile), askLocation_(env.AskResultsLocation), settings_(env.Settings) {
    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    lblHistoryFilter = new QLabel(QStringLiteral("Serial or part number"), this);
    edHistoryFilter = new QLineEdit(this);
    edHistoryFilter->setClearButtonEnabled(true);
    edHistoryFilter->setFixedWidth(220);
    lblHistoryFilter->setBuddy(edHistoryFilter);
    btnExportCsv = new QPushButton(QStringLiteral("Export CSV…"), this);
    btnExportCsv->setToolTip(
        QStringLiteral("The rows shown, to a CSV file in the folder for files"));
    btnResultsDatabase = new QPushButton(QStringLiteral("Results database…"), this);
    btnResultsDatabase->setToolTip(
        QStringLiteral("This bench's results file, another one, or a results server for the "
                       "line (postgresql://user@host:port/dbname)"));
    top->addWidget(lblHistoryFilter);
    top->addWidget(edHistoryFilter);
    top->addStretch(1);
    top->addWidget(btnResultsDatabase);
    top->addWidget(btnExportCsv);
    lblHistoryStore = new QLabel(this);
    lblHistoryStore->setTextInteractionFlags(Qt::TextSelectableByMouse);
    model = new HistoryModel(this);
    tblHistory = new QTableView(this);
    tblHistory->setModel(model);
    tblHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblHistory->verticalHeader()->setVisible(false);
    tblHistory->horizontalHeader()->setStretchLastSection(true);
    tblHistory->setToolTip(QStringLiteral("Double-click a row to open its installation report"));
    const int widths[] = {140, 150, 110, 90, 80, 80, 90};
    for (int c = 0; c < static_cast<int>(std::size(widths)); ++c)
        tblHistory->setColumnWidth(c, widths[c]);
    v->addLayout(top);
    v->addWidget(lblHistoryStore);
    v->addWidget(tblHistory, 1);

    refresh_ = new QTimer(this);
    refresh_->setInterval(RefreshMs);
    connect(refresh_, &QTimer::timeout, this, &HistoryPage::Refresh);
    connect(edHistoryFilter, &QLineEdit::textChanged, this, &HistoryPage::Refresh);
    connect(btnExportCsv, &QPushButton::clicked, this, &HistoryPage::btnExportCsvClick);
    connect(btnResultsDatabase, &QPushButton::clicked, this, &HistoryPage::btnResultsDatabaseClick);
    connect(tblHistory, &QTableView::doubleClicked, this, &HistoryPage::tblHistoryDoubleClick);
    connect(&results_, &ResultsWorker::read, this, &HistoryPage::Shown);
    connect(&results_, &ResultsWorker::added, this, [this](bool ok) {
        if (ok)
            Refresh();
    });
    ShowStore();
    Refresh(); // filled by the time it is first looked at
}

void HistoryPage::ShowStore(const QString& shown) {
    lblHistoryStore->setText(results_.Keeps()
                                 ? QStringLiteral("Results kept in ") +
                                       QDir::toNativeSeparators(results_.Location()) + shown
                                 : QStringLiteral("No results are kept"));
}

void HistoryPage::btnResultsDatabaseClick() {
    if (!askLocation_)
        return;
    const QString current =
        settings_ ? settings_->value(QLatin1String(ResultsLocationKey)).toString() : QString();
    askLocation_(this, current, [this](const std::optional<QString>& chosen) {
        if (chosen)
            ChooseResultsDatabase(*chosen);
    });
}

void HistoryPage::ChooseResultsDatabase(const QString& text) {
    const std::optional<std::string> location = ResultsLocationOf(text);
    if (location && Results::IsServerUrl(*location) && Results::MaskedUrl(*location) != *location) {
        host_.ShowBox(true, QStringLiteral("The password is not kept in the settings: give the "
                                           "URL without it, and the password in ~/.pgpass or "
                                           "PGPASSWORD."));
        return;
    }
    if (settings_)
        settings_->setValue(QLatin1String(ResultsLocationKey), text.trimmed());
    results_.Relocate(location);
    ++ticket_; // what the old store answers is not shown
    reading_ = again_ = false;
    ShowStore();
    model->SetResults({});
    host_.AddLog(lblHistoryStore->text());
    Refresh();
}

void HistoryPage::Refresh() {
    if (!results_.Keeps())
        return;
    // One reading at a time: a server out of reach takes seconds to say so,
    // and the timer must not pile readings up behind it.
    if (reading_) {
        again_ = true;
        return;
    }
    reading_ = true;
    Results::HistoryQuery query;
    query.Limit = MaxRows;
    const QString filter = edHistoryFilter->text().trimmed();
    if (!filter.isEmpty())
        query.SerialOrPart = filter.toStdString();
    results_.Read(std::move(query), ++ticket_);
}

void HistoryPage::Shown(int ticket, const std::vector<Results::InstallationResult>& results,
                        bool ok, const QString& message) {
    if (ticket != ticket_)
        return; // the store changed since
    reading_ = false;
    if (std::exchange(again_, false)) {
        Refresh(); // the filter changed meanwhile
        return;
    }
    if (!ok) {
        lblHistoryStore->setText(message);
        return;
    }
    model->SetResults(results);
    ShowStore((results.size() >= MaxRows ? QStringLiteral(": the newest %1 shown").arg(MaxRows)
                                         : QStringLiteral(": %1 shown").arg(results.size())) +
              (message.isEmpty() ? QString() : QStringLiteral(", ") + message));
}

void HistoryPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
    refresh_->start();
}

void HistoryPage::hideEvent(QHideEvent* event) {
    refresh_->stop();
    QWidget::hideEvent(event);
}

void HistoryPage::tblHistoryDoubleClick(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const auto& report = model->At(index.row()).ReportPath;
    if (!report)
        return;
    const QString path = QString::fromStdString(*report);
    if (!QFileInfo::exists(path)) {
        host_.ShowBox(true, QStringLiteral("The installation report %1 is not there any more.")
                                .arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (openFile_)
        openFile_(path);
}

void HistoryPage::btnExportCsvClick() {
    if (!askCsvFileName_)
        return;
    const QString suggested =
        QStringLiteral("HISTORY_") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) +
        QStringLiteral(".csv");
    askCsvFileName_(this, files_.Path(), suggested,
                    [this](const QString& chosen) { ExportTo(chosen); });
}

void HistoryPage::ExportTo(const QString& chosen) {
    if (chosen.isEmpty())
        return;
    QStringList lines;
    QStringList heading;
    for (int c = 0; c < HistoryModel::ColumnCount; ++c)
        heading << CsvField(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    lines << heading.join(QLatin1Char(';'));
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < HistoryModel::ColumnCount; ++c)
            fields << CsvField(model->Text(r, c));
        lines << fields.join(QLatin1Char(';'));
    }
    // Whole or not at all: the file appears once it is written.
    QSaveFile file(chosen);
    const QByteArray bytes = (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        host_.ShowBox(true, QStringLiteral("The history could not be exported to %1: %2")
                                .arg(QDir::toNativeSeparators(chosen), file.errorString()));
        return;
    }
    host_.AddLog(QStringLiteral("History exported to ") + QDir::toNativeSeparators(chosen) +
                 QStringLiteral(": %1 results").arg(model->rowCount()));
}
