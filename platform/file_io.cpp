#include "platform/file_io.h"

#include <cerrno>
#include <unistd.h>

bool WriteAll(int fd, const char* data, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        data += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}
