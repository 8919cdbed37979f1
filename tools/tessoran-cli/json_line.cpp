#include "json_line.h"

#include <cmath>

namespace TessoranCli {

void WriteJsonLine(std::ostream& out, const Json& object) {
    out << object.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    out.flush();
}

double RoundedMm(double mm) {
    return std::round(mm * 1e4) / 1e4;
}

} // namespace TessoranCli
