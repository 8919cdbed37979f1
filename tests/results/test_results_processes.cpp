// The results store written by several processes: two at once, and one
// killed while it adds.
#include "results_file.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace ResultsTest;

TEST_F(ResultsFile, TwoWritersAtOnceBothLand) {
    constexpr int Each = 150;
    ASSERT_TRUE(Open()); // made once, so neither child's open is a first one
    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        if (child == 0) {
            StoreStatus status;
            auto store = OpenSqliteStore(path_, status);
            const std::string serial = std::to_string(getpid());
            int added = 0;
            for (int i = 0; store && i < Each; ++i)
                added += store->Add(Full("2026-12-10T10:00:00Z", serial)).Ok;
            _exit(added == Each ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(ReadAll(*Open()).size(), 2u * Each);
}

TEST_F(ResultsFile, AWriterKilledMidWayLeavesEveryResultItFinished) {
    int done[2];
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(done[0]);
        StoreStatus status;
        auto store = OpenSqliteStore(path_, status);
        for (;;) {
            InstallationResult r = Full("2026-12-10T10:00:00Z");
            if (store && store->Add(r).Ok)
                (void)!write(done[1], r.Id.data(), r.Id.size()); // 36 bytes each
        }
    }
    close(done[1]);
    std::string finished;
    char id[36];
    while (finished.size() < 36 * 40 && read(done[0], id, sizeof id) == sizeof id)
        finished.append(id, sizeof id);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(done[0]);

    {
        SQLite::Database db(path_, SQLite::OPEN_READONLY);
        EXPECT_EQ(db.execAndGet("PRAGMA integrity_check").getString(), "ok");
    }
    const auto kept = ReadAll(*Open());
    for (std::size_t at = 0; at < finished.size(); at += 36) {
        const std::string want = finished.substr(at, 36);
        EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&](const InstallationResult& r) {
            return r.Id == want;
        })) << want;
    }
    for (const InstallationResult& r : kept)
        EXPECT_EQ(r.Reasons.size(), 2u) << "a result is whole or not there";
}
