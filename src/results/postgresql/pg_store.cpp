// The results store on a PostgreSQL server, through libpqxx, for a line of
// benches: the same logical schema as the SQLite file, in the schema
// "tessoran", created on first use. A result's id is its key: sending it
// again adds nothing. Every value is a bound parameter.
#include "results/postgresql/pg_schema.h"
#include "results/result_columns.h"
#include "results/results_store.h"
#include "results/results_url.h"

#include <pqxx/pqxx>

#include <charconv>
#include <functional>

namespace Results {
namespace {

constexpr const char* Columns = ResultColumns;

/// Parameters as text, NULL where unset: the server casts them to the columns.
class Values {
public:
    void Text(const std::string& v) { values_.emplace_back(v); }
    void Number(double v) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, v).ptr; // shortest round trip
        values_.emplace_back(std::string(text, end));
    }
    void Count(std::size_t v) { values_.emplace_back(std::to_string(v)); }
    template <class T> void Optional(const std::optional<T>& v) {
        if (!v)
            values_.emplace_back(std::nullopt);
        else if constexpr (std::is_same_v<T, std::string>)
            Text(*v);
        else if constexpr (std::is_same_v<T, bool>)
            Count(*v ? 1 : 0);
        else if constexpr (std::is_floating_point_v<T>)
            Number(*v);
        else
            Count(*v);
    }
    [[nodiscard]] auto Params() {
        pointers_.clear();
        for (const auto& v : values_)
            pointers_.push_back(v ? v->c_str() : nullptr);
        return pqxx::prepare::make_dynamic_params(pointers_);
    }
    [[nodiscard]] std::string Placeholders() const {
        std::string text;
        for (std::size_t i = 1; i <= values_.size(); ++i) {
            text += i > 1 ? ", $" : "$";
            text += std::to_string(i);
        }
        return text;
    }

private:
    std::vector<std::optional<std::string>> values_;
    std::vector<const char*> pointers_;
};

Values ValuesOf(const InstallationResult& r) {
    Values v;
    for (const std::string* text :
         {&r.Id, &r.TimeUtc, &r.Bench, &r.ProgramVersion, &r.Source, &r.BoxPort, &r.BoxVersion,
          &r.BoxSerial, &r.PartNumber, &r.EncoderSerial, &r.Firmware})
        v.Text(*text);
    v.Optional(r.Multiturn);
    v.Optional(r.Limits.GapMinMm);
    v.Optional(r.Limits.GapMaxMm);
    v.Optional(r.Limits.SignalMin);
    v.Optional(r.Limits.MaxWarnings);
    v.Optional(r.Limits.MaxErrors);
    v.Count(r.Limits.FullTurn ? 1 : 0);
    v.Text(r.Verdict);
    for (const std::size_t count : {r.Readings, r.ErrorReadings, r.WarningReadings, r.Gap.Points})
        v.Count(count);
    for (const auto* figure : {&r.Gap.MinMm, &r.Gap.MaxMm, &r.Gap.MeanMm, &r.Gap.StdDevMm})
        v.Optional(*figure);
    v.Count(r.SectorsSeen);
    v.Count(r.Sectors);
    v.Optional(r.ReportPath);
    v.Optional(r.Limits.RunoutMaxMm);
    for (double Monitor::Runout::*figure : RunoutFigures)
        v.Optional(r.Runout ? std::optional((*r.Runout).*figure) : std::nullopt);
    return v;
}

template <class T> std::optional<T> Optional(const pqxx::field& f) {
    if (f.is_null())
        return std::nullopt;
    if constexpr (std::is_same_v<T, bool>)
        return f.as<long long>() != 0;
    else if constexpr (std::is_same_v<T, std::size_t>)
        return static_cast<std::size_t>(std::max(0LL, f.as<long long>()));
    else
        return f.as<T>();
}

std::size_t Count(const pqxx::field& f) {
    return Optional<std::size_t>(f).value_or(0);
}

InstallationResult ResultOf(const pqxx::row& row) {
    InstallationResult r;
    int i = 0;
    for (std::string* text :
         {&r.Id, &r.TimeUtc, &r.Bench, &r.ProgramVersion, &r.Source, &r.BoxPort, &r.BoxVersion,
          &r.BoxSerial, &r.PartNumber, &r.EncoderSerial, &r.Firmware})
        *text = row[i++].as<std::string>();
    r.Multiturn = Optional<bool>(row[i++]);
    r.Limits.GapMinMm = Optional<double>(row[i++]);
    r.Limits.GapMaxMm = Optional<double>(row[i++]);
    r.Limits.SignalMin = Optional<double>(row[i++]);
    r.Limits.MaxWarnings = Optional<std::size_t>(row[i++]);
    r.Limits.MaxErrors = Optional<std::size_t>(row[i++]);
    r.Limits.FullTurn = Count(row[i++]) != 0;
    r.Verdict = row[i++].as<std::string>();
    for (std::size_t* count : {&r.Readings, &r.ErrorReadings, &r.WarningReadings, &r.Gap.Points})
        *count = Count(row[i++]);
    for (auto* figure : {&r.Gap.MinMm, &r.Gap.MaxMm, &r.Gap.MeanMm, &r.Gap.StdDevMm})
        *figure = Optional<double>(row[i++]);
    r.SectorsSeen = Count(row[i++]);
    r.Sectors = Count(row[i++]);
    r.ReportPath = Optional<std::string>(row[i++]);
    r.Limits.RunoutMaxMm = Optional<double>(row[i++]);
    if (!row[i].is_null()) {
        r.Runout.emplace();
        for (double Monitor::Runout::*figure : RunoutFigures)
            (*r.Runout).*figure = Optional<double>(row[i++]).value_or(0);
    }
    return r;
}

class PostgresStore final : public ResultsStore {
public:
    PostgresStore(std::string shown, std::unique_ptr<pqxx::connection> db)
        : shown_(std::move(shown)), db_(std::move(db)) {}

    using ResultsStore::Add;
    StoreStatus Add(std::span<const InstallationResult> results) override {
        return Guard("Could not add the result to ", [&] {
            pqxx::work tx(*db_);
            for (const InstallationResult& r : results) {
                Values values = ValuesOf(r);
                // Sent before (the answer lost on the way): nothing to add.
                const pqxx::result added = tx.exec_params(
                    std::string("INSERT INTO tessoran.results (") + Columns + ") VALUES (" +
                        values.Placeholders() + ") ON CONFLICT (id) DO NOTHING",
                    values.Params());
                if (added.affected_rows() == 0)
                    continue;
                for (std::size_t n = 0; n < r.Reasons.size(); ++n)
                    tx.exec_params("INSERT INTO tessoran.reasons (result_id, position, text) "
                                   "VALUES ($1, $2, $3)",
                                   r.Id, static_cast<long long>(n), r.Reasons[n]);
            }
            tx.commit();
        });
    }

    StoreStatus Read(const HistoryQuery& q, std::vector<InstallationResult>& results) override {
        results.clear();
        return Guard("Could not read the results in ", [&] {
            std::string sql =
                std::string("SELECT ") + Columns + " FROM tessoran.results WHERE true";
            std::vector<std::string> values;
            const auto param = [&](const std::string& value) {
                values.push_back(value);
                std::string placeholder = "$";
                placeholder += std::to_string(values.size());
                return placeholder;
            };
            if (q.Serial)
                sql += " AND encoder_serial = " + param(*q.Serial);
            if (q.Part)
                sql += " AND part_number = " + param(*q.Part);
            if (q.SerialOrPart && !q.SerialOrPart->empty()) {
                const std::string p = param(*q.SerialOrPart);
                sql += " AND (strpos(encoder_serial, " + p + ") > 0 OR strpos(part_number, " + p +
                       ") > 0)";
            }
            if (q.SinceUtc)
                sql += " AND time_utc >= " + param(*q.SinceUtc);
            sql += " ORDER BY time_utc DESC, id DESC";
            if (q.Limit > 0)
                sql += " LIMIT " + std::to_string(q.Limit);
            pqxx::read_transaction tx(*db_);
            const pqxx::result rows =
                tx.exec_params(sql, pqxx::prepare::make_dynamic_params(values));
            for (const pqxx::row& row : rows) {
                results.push_back(ResultOf(row));
                for (const pqxx::row& reason :
                     tx.exec_params("SELECT text FROM tessoran.reasons WHERE result_id = $1 "
                                    "ORDER BY position",
                                    results.back().Id))
                    results.back().Reasons.push_back(reason[0].as<std::string>());
            }
        });
    }

    std::string Name() const override { return shown_; }

private:
    StoreStatus Guard(const char* what, const std::function<void()>& work) {
        return Guarded(what, shown_, work);
    }

    std::string shown_;
    std::unique_ptr<pqxx::connection> db_;
};

/// The schema made, or brought up to date, once: concurrent first uses wait
/// for each other on an advisory lock.
void Prepare(pqxx::connection& db) {
    pqxx::work tx(db);
    tx.exec("SELECT pg_advisory_xact_lock(" + std::to_string(SchemaLockKey) + ")");
    tx.exec("CREATE SCHEMA IF NOT EXISTS tessoran");
    tx.exec("CREATE TABLE IF NOT EXISTS tessoran.schema_version (version INTEGER NOT NULL)");
    const pqxx::result rows = tx.exec("SELECT version FROM tessoran.schema_version");
    const int version = rows.empty() ? 0 : rows[0][0].as<int>();
    if (version > PgSchemaVersion)
        throw std::runtime_error("it holds results of a newer Tessoran (schema " +
                                 std::to_string(version) + "; this one knows " +
                                 std::to_string(PgSchemaVersion) + ")");
    for (int from = version; from < PgSchemaVersion; ++from)
        for (const char* statement : PgSchemaSteps[static_cast<std::size_t>(from)])
            tx.exec(statement);
    if (version < PgSchemaVersion) {
        tx.exec("DELETE FROM tessoran.schema_version");
        tx.exec_params("INSERT INTO tessoran.schema_version (version) VALUES ($1)",
                       PgSchemaVersion);
    }
    tx.commit();
}

} // namespace

std::unique_ptr<ResultsStore> OpenPostgresStore(const std::string& url, StoreStatus& status) {
    status = {};
    const std::string shown = MaskedUrl(url);
    try {
        auto db = std::make_unique<pqxx::connection>(WithConnectTimeout(url));
        Prepare(*db);
        return std::make_unique<PostgresStore>(shown, std::move(db));
    } catch (const std::exception& e) {
        // libpq's messages name the host, never the password.
        status =
            StoreStatus::Failed("Results server " + shown + " could not be used: " + ReasonOf(e));
        return nullptr;
    }
}

} // namespace Results
