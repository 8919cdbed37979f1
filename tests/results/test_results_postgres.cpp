// The results store on a real PostgreSQL server that the test starts: every
// field back as it went in, device text that looks like SQL, a result sent
// twice kept once, eight processes adding at once, a newer schema refused.
// Skips, saying why, where no server can be started.
#include "pg_server.h"
#include "results/line_store.h"
#include "results/results_url.h"
#include "results_file.h"

#include <pqxx/pqxx>

#include <set>
#include <sys/wait.h>
#include <unistd.h>

using namespace ResultsTest;

namespace {

class ResultsServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = new PgServer;
        if (!server_->Start(why_)) {
            delete server_;
            server_ = nullptr;
        }
        setenv("PGPASSWORD", PgServer::Password, 1); // libpq's own way, never in the URL
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (!server_)
            GTEST_SKIP() << "no PostgreSQL server: " << why_;
        pqxx::connection db(server_->Url());
        pqxx::work tx(db);
        tx.exec("DROP SCHEMA IF EXISTS tessoran CASCADE");
        tx.commit();
    }
    std::unique_ptr<ResultsStore> Open() {
        StoreStatus status;
        auto store = OpenPostgresStore(server_->Url(), status);
        EXPECT_TRUE(status.Ok) << status.Message;
        return store;
    }
    static std::vector<InstallationResult> ReadAll(ResultsStore& store) {
        std::vector<InstallationResult> results;
        const StoreStatus status = store.Read({.Limit = 0}, results);
        EXPECT_TRUE(status.Ok) << status.Message;
        return results;
    }

    static PgServer* server_;
    static std::string why_;
};
PgServer* ResultsServer::server_ = nullptr;
std::string ResultsServer::why_;

TEST_F(ResultsServer, EveryFieldComesBackAndASecondSendAddsNothing) {
    const std::vector<InstallationResult> sent = EdgeResults();
    {
        auto store = Open();
        ASSERT_TRUE(store);
        for (const InstallationResult& r : sent)
            ASSERT_TRUE(store->Add(r).Ok);
        ASSERT_TRUE(store->Add(sent.back()).Ok); // the answer was lost: sent again
    }
    auto store = Open();
    EXPECT_EQ(ReadAll(*store), std::vector<InstallationResult>(sent.rbegin(), sent.rend()));
    std::vector<InstallationResult> found;
    ASSERT_TRUE(store->Read({.SerialOrPart = "$1"}, found).Ok);
    EXPECT_EQ(found.size(), 1u);
}

TEST_F(ResultsServer, EightBenchesAddingAtOnceAllLandOnce) {
    constexpr int Benches = 8, Each = 100;
    std::vector<pid_t> children;
    for (int b = 0; b < Benches; ++b) {
        const pid_t child = fork();
        if (child == 0) {
            StoreStatus status;
            auto store = OpenPostgresStore(server_->Url(), status); // the first use too
            const std::string bench = std::to_string(b);
            int added = 0;
            for (int i = 0; store && i < Each; ++i)
                added += store->Add(Full("2026-12-10T10:00:00Z", bench)).Ok;
            _exit(added == Each ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto all = ReadAll(*Open());
    std::set<std::string> ids;
    for (const auto& r : all)
        ids.insert(r.Id);
    EXPECT_EQ(all.size(), std::size_t(Benches * Each));
    EXPECT_EQ(ids.size(), all.size());
}

TEST_F(ResultsServer, ANewerSchemaOrAWrongPasswordIsRefusedAndSaysNoPassword) {
    ASSERT_TRUE(Open());
    {
        pqxx::connection db(server_->Url());
        pqxx::work tx(db);
        tx.exec("UPDATE tessoran.schema_version SET version = 9");
        tx.commit();
    }
    StoreStatus status;
    EXPECT_FALSE(OpenPostgresStore(server_->Url(), status));
    EXPECT_NE(status.Message.find("newer Tessoran (schema 9"), std::string::npos) << status.Message;

    std::string wrong = server_->Url();
    wrong.insert(wrong.find('@'), ":hunter2");
    EXPECT_FALSE(OpenPostgresStore(wrong, status));
    EXPECT_NE(status.Message.find("password authentication failed"), std::string::npos)
        << status.Message;
    EXPECT_EQ(status.Message.find("hunter2"), std::string::npos) << status.Message;

    // Through the line's store: kept on the bench, and the password in no message.
    const fs::path bench = fs::temp_directory_path() / ("tessoran-bench-" + NewResultId());
    auto line = OpenResultsStore(wrong, bench.string(), status);
    ASSERT_TRUE(line) << status.Message;
    const StoreStatus kept = line->Add(Full("2026-12-10T10:00:00Z"));
    EXPECT_TRUE(kept.Ok);
    EXPECT_NE(kept.Message.find("unreachable: kept on this bench"), std::string::npos);
    EXPECT_EQ(kept.Message.find("hunter2"), std::string::npos) << kept.Message;
    EXPECT_EQ(dynamic_cast<LineStore&>(*line).WaitingCount(), 1u);
    std::vector<InstallationResult> history; // a reader is told why
    const StoreStatus read = line->Read({}, history);
    EXPECT_FALSE(read.Ok);
    EXPECT_NE(read.Message.find("password authentication failed"), std::string::npos)
        << read.Message;
    EXPECT_EQ(read.Message.find("hunter2"), std::string::npos) << read.Message;
    fs::remove(bench);
}

TEST_F(ResultsServer, AServerOutOfReachLosesNothingAndGetsEachResultOnce) {
    const std::string bench =
        (fs::temp_directory_path() / ("tessoran-bench-" + NewResultId())).string();
    server_->Stop();
    for (const char* time :
         {"2026-12-10T10:00:00Z", "2026-12-10T10:01:00Z", "2026-12-10T10:02:00Z"}) {
        StoreStatus status; // a check each, as tessoran-cli runs them
        auto line = OpenResultsStore(server_->Url(), bench, status);
        ASSERT_TRUE(line) << status.Message;
        const StoreStatus kept = line->Add(Full(time));
        EXPECT_TRUE(kept.Ok);
        EXPECT_EQ(kept.Message, "Results server " + server_->Url() +
                                    " unreachable: kept on this bench, sent when it is back");
    }
    ASSERT_TRUE(server_->Restart());
    for (int reading = 0; reading < 2; ++reading) { // the second sends nothing again
        StoreStatus status;
        auto line = OpenResultsStore(server_->Url(), bench, status);
        std::vector<InstallationResult> history;
        const StoreStatus read = line->Read({}, history);
        ASSERT_TRUE(read.Ok) << read.Message;
        EXPECT_EQ(history.size(), 3u);
        EXPECT_EQ(dynamic_cast<LineStore&>(*line).WaitingCount(), 0u);
    }
    StoreStatus status;
    EXPECT_EQ(ReadAll(*OpenSqliteStore(bench, status)).size(), 3u) << "the bench keeps its own";
    fs::remove(bench);
}

} // namespace

TEST(ResultsUrl, AServerIsToldFromAFileAndItsPasswordNeverShown) {
    EXPECT_TRUE(IsServerUrl("postgresql://line@db:5432/results"));
    EXPECT_TRUE(IsServerUrl("postgres://db/results"));
    EXPECT_FALSE(IsServerUrl("/home/tech/results.sqlite"));
    EXPECT_FALSE(IsServerUrl("C:\\results.sqlite"));
    const std::pair<const char*, const char*> masked[] = {
        {"postgresql://line:s3cr@t@db:5432/r", "postgresql://line:***@db:5432/r"},
        {"postgresql://line:pw@db", "postgresql://line:***@db"},
        {"postgresql://line:pw@db/r?sslmode=require", "postgresql://line:***@db/r?sslmode=require"},
        {"postgresql://line@db/r?password=pw&sslmode=require",
         "postgresql://line@db/r?password=***&sslmode=require"},
        {"postgresql://db:5432/r", "postgresql://db:5432/r"},
    };
    for (const auto& [url, shown] : masked)
        EXPECT_EQ(MaskedUrl(url), shown) << url;
    EXPECT_EQ(WithConnectTimeout("postgresql://db/r"), "postgresql://db/r?connect_timeout=5");
    EXPECT_EQ(WithConnectTimeout("postgresql://db/r?sslmode=require"),
              "postgresql://db/r?sslmode=require&connect_timeout=5");
    EXPECT_EQ(WithConnectTimeout("postgresql://db/r?connect_timeout=2"),
              "postgresql://db/r?connect_timeout=2");
}
