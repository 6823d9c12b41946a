#include "atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kora {

namespace {

namespace fs = std::filesystem;

std::string Reason(const std::string& what, const fs::path& path, int error) {
    return what + " '" + path.string() + "': " + std::strerror(error);
}

// The file a write to `path` must replace: a link's target, not the link.
fs::path ResolveTarget(const std::string& path) {
    std::error_code error;
    fs::path target(path);
    if (fs::is_symlink(target, error)) {
        fs::path resolved = fs::weakly_canonical(target, error);
        if (!error) return resolved;
    }
    return target;
}

// A new file in `directory`, created exclusively so that concurrent writers
// never share one. Mode 0666 lets the umask decide, as for any new file.
int CreateTemporary(const fs::path& target, fs::path& temporary, int& error) {
    static std::atomic<unsigned> counter{0};
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = directory / ("." + target.filename().string() + ".tmp" +
                                 std::to_string(::getpid()) + "-" + std::to_string(counter++));
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            error = errno;
            return fd;
        }
    }
    error = EEXIST;
    return -1;
}

int WriteAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        contents.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

// Makes the rename itself durable; a failure here loses nothing already
// written, so it is not reported.
void SyncDirectory(const fs::path& target) {
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string WriteFileAtomically(const std::string& path, std::string_view contents) {
    const fs::path target = ResolveTarget(path);
    fs::path temporary;
    int error = 0;
    const int fd = CreateTemporary(target, temporary, error);
    if (fd < 0) return Reason("cannot create a file beside", target, error);

    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(fd, existing.st_mode & 07777);

    std::string failure;
    if ((error = WriteAll(fd, contents)) != 0)
        failure = Reason("cannot write", temporary, error);
    else if (::fsync(fd) != 0)
        failure = Reason("cannot flush", temporary, errno);
    if (::close(fd) != 0 && failure.empty()) failure = Reason("cannot close", temporary, errno);
    if (failure.empty() && ::rename(temporary.c_str(), target.c_str()) != 0)
        failure = Reason("cannot replace", target, errno);
    if (!failure.empty()) {
        ::unlink(temporary.c_str());
        return failure;
    }
    SyncDirectory(target);
    return std::string();
}

} // namespace kora
