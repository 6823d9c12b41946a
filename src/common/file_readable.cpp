#include "file_readable.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kora {
namespace {

std::string Words(int error) {
    switch (error) {
    case ENOENT:
        return "no such file";
    case EISDIR:
        return "is a directory";
    case EACCES:
        return "permission denied";
    default:
        return std::strerror(error);
    }
}

} // namespace

std::string WhyUnreadable(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return Words(errno);
    if (S_ISDIR(status.st_mode)) return Words(EISDIR);
    // Non-blocking, so that asking about a FIFO without a writer never hangs.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Words(errno);
    ::close(fd);
    return {};
}

} // namespace kora
