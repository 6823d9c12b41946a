#include "checked_output.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace kora::cli {

bool CheckedOutput::Drain() {
    const char* next = pbase();
    while (error_ == 0 && next < pptr()) {
        const ssize_t written = ::write(fd_, next, static_cast<size_t>(pptr() - next));
        if (written >= 0)
            next += written;
        else if (errno != EINTR)
            error_ = errno;
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return error_ == 0;
}

CheckedOutput::int_type CheckedOutput::overflow(int_type c) {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

std::string CheckedOutput::Failure() {
    Drain();
    return error_ == 0 ? std::string() : std::strerror(error_);
}

} // namespace kora::cli
