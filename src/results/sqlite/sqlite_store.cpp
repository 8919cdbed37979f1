// The results store in a SQLite file, through SQLiteCpp. The file says it is
// ours by its application id and gives its schema's version in user_version;
// anything else is refused before a byte of it is written. WAL mode, one
// transaction per result, every value bound.
#include "results/result_columns.h"
#include "results/results_store.h"
#include "results/sqlite/sqlite_schema.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <filesystem>
#include <functional>

namespace Results {
namespace {

constexpr int BusyTimeoutMs = 10000;

constexpr const char* Columns = ResultColumns;
constexpr int ColumnCount = 35;

template <class T> void BindOptional(SQLite::Statement& s, int i, const std::optional<T>& value) {
    if (!value)
        s.bind(i);
    else if constexpr (std::is_same_v<T, std::string>)
        s.bind(i, *value);
    else if constexpr (std::is_floating_point_v<T>)
        s.bind(i, static_cast<double>(*value));
    else
        s.bind(i, static_cast<std::int64_t>(*value));
}

void BindResult(SQLite::Statement& s, const InstallationResult& r) {
    int i = 0;
    for (const std::string* text :
         {&r.Id, &r.TimeUtc, &r.Bench, &r.ProgramVersion, &r.Source, &r.BoxPort, &r.BoxVersion,
          &r.BoxSerial, &r.PartNumber, &r.EncoderSerial, &r.Firmware})
        s.bind(++i, *text);
    BindOptional(s, ++i, r.Multiturn);
    BindOptional(s, ++i, r.Limits.GapMinMm);
    BindOptional(s, ++i, r.Limits.GapMaxMm);
    BindOptional(s, ++i, r.Limits.SignalMin);
    BindOptional(s, ++i, r.Limits.MaxWarnings);
    BindOptional(s, ++i, r.Limits.MaxErrors);
    s.bind(++i, r.Limits.FullTurn ? 1 : 0);
    s.bind(++i, r.Verdict);
    for (const std::size_t count : {r.Readings, r.ErrorReadings, r.WarningReadings, r.Gap.Points})
        s.bind(++i, static_cast<std::int64_t>(count));
    for (const auto* figure : {&r.Gap.MinMm, &r.Gap.MaxMm, &r.Gap.MeanMm, &r.Gap.StdDevMm})
        BindOptional(s, ++i, *figure);
    s.bind(++i, static_cast<std::int64_t>(r.SectorsSeen));
    s.bind(++i, static_cast<std::int64_t>(r.Sectors));
    BindOptional(s, ++i, r.ReportPath);
    BindOptional(s, ++i, r.Limits.RunoutMaxMm);
    for (double Monitor::Runout::*figure : RunoutFigures)
        BindOptional(s, ++i, r.Runout ? std::optional((*r.Runout).*figure) : std::nullopt);
}

template <class T> std::optional<T> Optional(const SQLite::Column& c) {
    if (c.isNull())
        return std::nullopt;
    if constexpr (std::is_same_v<T, std::string>)
        return c.getString();
    else if constexpr (std::is_same_v<T, bool>)
        return c.getInt() != 0;
    else if constexpr (std::is_floating_point_v<T>)
        return c.getDouble();
    else
        return static_cast<T>(c.getInt64());
}

std::size_t Count(const SQLite::Column& c) {
    return c.isNull() || c.getInt64() < 0 ? 0 : static_cast<std::size_t>(c.getInt64());
}

InstallationResult ResultOf(SQLite::Statement& s) {
    InstallationResult r;
    int i = 0;
    for (std::string* text :
         {&r.Id, &r.TimeUtc, &r.Bench, &r.ProgramVersion, &r.Source, &r.BoxPort, &r.BoxVersion,
          &r.BoxSerial, &r.PartNumber, &r.EncoderSerial, &r.Firmware})
        *text = s.getColumn(i++).getString();
    r.Multiturn = Optional<bool>(s.getColumn(i++));
    r.Limits.GapMinMm = Optional<double>(s.getColumn(i++));
    r.Limits.GapMaxMm = Optional<double>(s.getColumn(i++));
    r.Limits.SignalMin = Optional<double>(s.getColumn(i++));
    r.Limits.MaxWarnings = Optional<std::size_t>(s.getColumn(i++));
    r.Limits.MaxErrors = Optional<std::size_t>(s.getColumn(i++));
    r.Limits.FullTurn = s.getColumn(i++).getInt() != 0;
    r.Verdict = s.getColumn(i++).getString();
    for (std::size_t* count : {&r.Readings, &r.ErrorReadings, &r.WarningReadings, &r.Gap.Points})
        *count = Count(s.getColumn(i++));
    for (auto* figure : {&r.Gap.MinMm, &r.Gap.MaxMm, &r.Gap.MeanMm, &r.Gap.StdDevMm})
        *figure = Optional<double>(s.getColumn(i++));
    r.SectorsSeen = Count(s.getColumn(i++));
    r.Sectors = Count(s.getColumn(i++));
    r.ReportPath = Optional<std::string>(s.getColumn(i++));
    r.Limits.RunoutMaxMm = Optional<double>(s.getColumn(i++));
    if (!s.getColumn(i).isNull()) {
        r.Runout.emplace();
        for (double Monitor::Runout::*figure : RunoutFigures)
            (*r.Runout).*figure = Optional<double>(s.getColumn(i++)).value_or(0);
    }
    return r;
}

class SqliteStore final : public BenchResults {
public:
    SqliteStore(std::string path, SQLite::Database db)
        : path_(std::move(path)), db_(std::move(db)) {}

    using ResultsStore::Add;
    StoreStatus Add(std::span<const InstallationResult> results) override {
        return Guard("Could not add the result to ", [&] {
            SQLite::Transaction tx(db_, SQLite::TransactionBehavior::IMMEDIATE);
            Insert(results);
            tx.commit();
        });
    }

    StoreStatus AddWaiting(const InstallationResult& result, const std::string& server) override {
        return Guard("Could not add the result to ", [&] {
            SQLite::Transaction tx(db_, SQLite::TransactionBehavior::IMMEDIATE);
            Insert(std::span<const InstallationResult>(&result, 1));
            SQLite::Statement wait(db_, "INSERT INTO waiting (result_id, server) VALUES (?, ?)");
            wait.bind(1, result.Id);
            wait.bind(2, server);
            wait.exec();
            tx.commit();
        });
    }

    StoreStatus Waiting(const std::string& server,
                        std::vector<InstallationResult>& results) override {
        results.clear();
        return Guard("Could not read the results in ", [&] {
            SQLite::Statement select(
                db_, std::string("SELECT ") + Columns +
                         " FROM results WHERE id IN (SELECT result_id FROM waiting WHERE "
                         "server = ?) ORDER BY time_utc, rowid");
            select.bind(1, server);
            Collect(select, results);
        });
    }

    StoreStatus Sent(const std::string& server,
                     std::span<const InstallationResult> results) override {
        return Guard("Could not mark the results sent in ", [&] {
            SQLite::Transaction tx(db_, SQLite::TransactionBehavior::IMMEDIATE);
            SQLite::Statement sent(db_, "DELETE FROM waiting WHERE result_id = ? AND server = ?");
            for (const InstallationResult& r : results) {
                sent.bind(1, r.Id);
                sent.bind(2, server);
                sent.exec();
                sent.reset();
            }
            tx.commit();
        });
    }

    StoreStatus Read(const HistoryQuery& q, std::vector<InstallationResult>& results) override {
        results.clear();
        return Guard("Could not read the results in ", [&] {
            std::string sql = std::string("SELECT ") + Columns + " FROM results WHERE 1";
            std::vector<std::string> values;
            if (q.Serial) {
                sql += " AND encoder_serial = ?";
                values.push_back(*q.Serial);
            }
            if (q.Part) {
                sql += " AND part_number = ?";
                values.push_back(*q.Part);
            }
            if (q.SerialOrPart && !q.SerialOrPart->empty()) {
                sql += " AND (instr(encoder_serial, ?) > 0 OR instr(part_number, ?) > 0)";
                values.insert(values.end(), 2, *q.SerialOrPart);
            }
            if (q.SinceUtc) {
                sql += " AND time_utc >= ?";
                values.push_back(*q.SinceUtc);
            }
            sql += " ORDER BY time_utc DESC, rowid DESC";
            if (q.Limit > 0)
                sql += " LIMIT " + std::to_string(q.Limit);
            SQLite::Statement select(db_, sql);
            for (std::size_t n = 0; n < values.size(); ++n)
                select.bind(static_cast<int>(n + 1), values[n]);
            Collect(select, results);
        });
    }

    std::string Name() const override { return path_; }

private:
    /// Within the caller's transaction.
    void Insert(std::span<const InstallationResult> results) {
        SQLite::Statement insert(db_, std::string("INSERT INTO results (") + Columns +
                                          ") VALUES (" + Placeholders(ColumnCount) + ")");
        SQLite::Statement reason(
            db_, "INSERT INTO reasons (result_id, position, text) VALUES (?, ?, ?)");
        for (const InstallationResult& result : results) {
            BindResult(insert, result);
            insert.exec();
            insert.reset();
            for (std::size_t n = 0; n < result.Reasons.size(); ++n) {
                reason.bind(1, result.Id);
                reason.bind(2, static_cast<std::int64_t>(n));
                reason.bind(3, result.Reasons[n]);
                reason.exec();
                reason.reset();
            }
        }
    }

    /// The rows of `select` with their reasons.
    void Collect(SQLite::Statement& select, std::vector<InstallationResult>& results) {
        SQLite::Statement reasons(db_,
                                  "SELECT text FROM reasons WHERE result_id = ? ORDER BY position");
        while (select.executeStep()) {
            results.push_back(ResultOf(select));
            reasons.bind(1, results.back().Id);
            while (reasons.executeStep())
                results.back().Reasons.push_back(reasons.getColumn(0).getString());
            reasons.reset();
        }
    }

    static std::string Placeholders(int n) {
        std::string text = "?";
        for (int i = 1; i < n; ++i)
            text += ", ?";
        return text;
    }

    StoreStatus Guard(const char* what, const std::function<void()>& work) {
        return Guarded(what, path_, work);
    }

    std::string path_;
    SQLite::Database db_;
};

/// Creates the schema in an empty file, or brings an older one up to date,
/// in one transaction; refuses a file that is not ours or is newer.
StoreStatus Prepare(SQLite::Database& db, const std::string& path) {
    const auto version = [&db] { return db.execAndGet("PRAGMA user_version").getInt(); };
    const auto application = [&db] { return db.execAndGet("PRAGMA application_id").getInt(); };
    const auto objects = [&db] {
        return db.execAndGet("SELECT count(*) FROM sqlite_master").getInt();
    };
    const auto check = [&]() -> StoreStatus {
        const bool empty = application() == 0 && version() == 0 && objects() == 0;
        if (!empty && application() != SchemaApplicationId)
            return StoreStatus::Failed(path + " is not a Tessoran results database; it is left "
                                              "as it is");
        if (version() > SchemaVersion)
            return StoreStatus::Failed(path + " holds results of a newer Tessoran (schema " +
                                       std::to_string(version()) + "; this one knows " +
                                       std::to_string(SchemaVersion) + "); it is left as it is");
        return {};
    };
    if (StoreStatus refused = check(); !refused)
        return refused;
    if (version() < SchemaVersion) {
        // Another process may be doing the same: look again under the lock.
        SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
        if (StoreStatus refused = check(); !refused)
            return refused;
        for (int from = version(); from < SchemaVersion; ++from)
            for (const char* statement : SchemaSteps[static_cast<std::size_t>(from)])
                db.exec(statement);
        db.exec("PRAGMA application_id = " + std::to_string(SchemaApplicationId));
        db.exec("PRAGMA user_version = " + std::to_string(SchemaVersion));
        tx.commit();
    }
    // Only now, in a file known to be ours: the journal mode is written to it.
    db.exec("PRAGMA journal_mode = WAL");
    db.exec("PRAGMA foreign_keys = ON");
    return {};
}

} // namespace

std::unique_ptr<BenchResults> OpenSqliteStore(const std::string& path, StoreStatus& status,
                                              OpenMode mode) {
    status = {};
    try {
        const std::filesystem::path file = std::filesystem::u8path(path);
        std::error_code ignored; // opening names what is missing
        if (mode == OpenMode::Existing && !std::filesystem::exists(file, ignored))
            return nullptr;
        if (file.has_parent_path())
            std::filesystem::create_directories(file.parent_path(), ignored);
        SQLite::Database db(path, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, BusyTimeoutMs);
        status = Prepare(db, path);
        if (!status)
            return nullptr;
        return std::make_unique<SqliteStore>(path, std::move(db));
    } catch (const std::exception& e) {
        status =
            StoreStatus::Failed("The results file " + path + " could not be opened: " + e.what());
        return nullptr;
    }
}

} // namespace Results
