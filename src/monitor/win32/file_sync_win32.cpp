#include "monitor/file_sync.h"

#include <cerrno>
#include <io.h>
#include <windows.h>

namespace Monitor {

int SyncToDisk(std::FILE* file) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE)
        return EBADF;
    return ::FlushFileBuffers(handle) ? 0 : EIO;
}

} // namespace Monitor
