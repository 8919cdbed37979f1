#pragma once
// User plus system time of another process, read from /proc/<pid>/stat, so a
// bench can tell what a child process spent while it measured.

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <sys/types.h>
#include <unistd.h>

/// CPU seconds `pid` has used so far; 0 when it cannot be read.
inline double ProcessCpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // After the command name: state is field 3; utime and stime are 14 and 15.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14)
            utime = std::stoull(field);
        if (index == 15)
            stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}
