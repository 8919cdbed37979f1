// A build without libpqxx (the Windows build, until libpq is built for it):
// a results server is refused, saying why; the bench's own file still works.
#include "results/results_store.h"
#include "results/results_url.h"

namespace Results {

std::unique_ptr<ResultsStore> OpenPostgresStore(const std::string& url, StoreStatus& status) {
    status = StoreStatus::Failed("This build of Tessoran sends no results to a server (built "
                                 "without libpq): " +
                                 MaskedUrl(url) + " is not used");
    return nullptr;
}

} // namespace Results
