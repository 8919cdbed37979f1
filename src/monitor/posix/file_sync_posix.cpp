#include "monitor/file_sync.h"

#include <cerrno>
#include <unistd.h>

namespace Monitor {

int SyncToDisk(std::FILE* file) {
    // EINVAL: a special file (a pipe, /dev/null) that has no disk to go to.
    if (::fdatasync(::fileno(file)) == 0 || errno == EINVAL)
        return 0;
    return errno;
}

} // namespace Monitor
