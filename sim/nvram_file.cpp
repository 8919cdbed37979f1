#include "nvram_file.h"

#include <charconv>
#include <cstdio>
#include <fstream>

namespace K730Sim {

bool LoadStoredSettings(const std::string& path, StoredSettings& stored) {
    std::ifstream in(path);
    if (!in)
        return false;
    StoredSettings read;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            return false;
        const std::string key = line.substr(0, eq);
        std::int32_t value = 0;
        const char* end = line.data() + line.size();
        const auto r = std::from_chars(line.data() + eq + 1, end, value);
        if (r.ec != std::errc() || r.ptr != end)
            return false;
        if (key == "zero_offset" && value >= 0 && value < VelorEncoder::CountsPerTurn)
            read.ZeroOffset = value;
        else if (key == "turn_adjust")
            read.TurnAdjust = value;
        else
            return false;
    }
    stored = read;
    return true;
}

bool SaveStoredSettings(const std::string& path, const StoredSettings& stored) {
    // Written beside and renamed over, so a crash never leaves half a file.
    const std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << "zero_offset=" << stored.ZeroOffset << "\nturn_adjust=" << stored.TurnAdjust << "\n";
        if (!out.flush())
            return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

} // namespace K730Sim
