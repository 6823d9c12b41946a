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

// The file a write to `path` must replace: a link's final target, not the
// link, so that the link survives. `inPlace` is set when the chain passes
// through /proc (as /dev/stdout does): such links name open descriptors, and
// the only sound write is through them.
fs::path ResolveTarget(const std::string& path, bool& inPlace) {
    std::error_code error;
    fs::path target(path);
    for (int depth = 0; depth < 40 && fs::is_symlink(target, error); ++depth) {
        const fs::path link = fs::read_symlink(target, error);
        if (error) break;
        target = link.is_absolute() ? link : target.parent_path() / link;
        if (target.lexically_normal().string().rfind("/proc/", 0) == 0) inPlace = true;
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

// Devices, FIFOs and descriptors are written as every tool writes them: in
// place, never replaced by a regular file.
std::string WriteInPlace(const std::string& path, std::string_view contents) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return Reason("cannot open", path, errno);
    std::string failure;
    if (const int error = WriteAll(fd, contents); error != 0)
        failure = Reason("cannot write", path, error);
    if (::close(fd) != 0 && failure.empty()) failure = Reason("cannot close", path, errno);
    return failure;
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

std::string WhyCannotReplace(const std::string& path) {
    bool inPlace = false;
    const fs::path target = ResolveTarget(path, inPlace);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return Reason("cannot write", path, EISDIR);
    // Devices and FIFOs are only opened when written, never probed: a FIFO
    // would wait for its reader.
    if (inPlace || (exists && !S_ISREG(existing.st_mode))) return std::string();
    fs::path temporary;
    int error = 0;
    const int fd = CreateTemporary(target, temporary, error);
    if (fd < 0) return Reason("cannot create a file beside", target, error);
    ::close(fd);
    ::unlink(temporary.c_str());
    return std::string();
}

bool IsSameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

std::string WriteFileAtomically(const std::string& path, std::string_view contents) {
    bool inPlace = false;
    const fs::path target = ResolveTarget(path, inPlace);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return Reason("cannot write", path, EISDIR);
    if (inPlace || (exists && !S_ISREG(existing.st_mode))) return WriteInPlace(path, contents);
    fs::path temporary;
    int error = 0;
    const int fd = CreateTemporary(target, temporary, error);
    if (fd < 0) return Reason("cannot create a file beside", target, error);

    if (exists) ::fchmod(fd, existing.st_mode & 07777);

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
