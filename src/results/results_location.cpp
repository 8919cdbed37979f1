#include "results/results_location.h"

namespace Results {

std::optional<std::string> ResultsLocation(const std::optional<std::string>& option,
                                           const std::optional<std::string>& environment) {
    const std::optional<std::string>& named = option && !option->empty() ? option : environment;
    if (named && !named->empty())
        return *named == NoStore ? std::nullopt : named;
    return DefaultResultsFile();
}

} // namespace Results
