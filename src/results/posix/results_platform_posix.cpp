#include "results/results_location.h"
#include "results/results_platform.h"

#include <cstdlib>
#include <unistd.h>

namespace Results {

std::string BenchName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::optional<std::string> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::string> DefaultResultsFile() {
    // The XDG base directories: an unset or relative XDG_DATA_HOME is ignored.
    const auto data = EnvironmentValue("XDG_DATA_HOME");
    if (data && !data->empty() && data->front() == '/')
        return *data + "/tessoran/results.sqlite";
    const auto home = EnvironmentValue("HOME");
    if (home && !home->empty())
        return *home + "/.local/share/tessoran/results.sqlite";
    return std::nullopt;
}

} // namespace Results
