// A build without SQLite (the Windows build, until SQLite is built for it):
// every store refuses, saying why, so nothing looks kept that is not.
#include "results/results_store.h"

namespace Results {

std::unique_ptr<BenchResults> OpenSqliteStore(const std::string& path, StoreStatus& status,
                                              OpenMode) {
    status = StoreStatus::Failed("This build of Tessoran keeps no results (built without "
                                 "SQLite): " +
                                 path + " is not opened");
    return nullptr;
}

} // namespace Results
