// Standard output through a buffer that remembers why a write failed, so
// that output lost on a full device or a closed pipe is reported instead of
// passing for success.
#pragma once

#include <array>
#include <streambuf>
#include <string>

namespace kora::cli {

class CheckedOutput final : public std::streambuf {
public:
    explicit CheckedOutput(int fd) : fd_(fd) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    ~CheckedOutput() override { Drain(); }
    CheckedOutput(const CheckedOutput&) = delete;
    CheckedOutput& operator=(const CheckedOutput&) = delete;

    // Writes what is buffered; "" when every write succeeded, else why the
    // first one failed. Output after a failure is dropped.
    std::string Failure();

protected:
    int_type overflow(int_type c) override;
    int sync() override { return Drain() ? 0 : -1; }

private:
    bool Drain();

    int fd_;
    int error_ = 0;
    std::array<char, 1 << 16> buffer_{};
};

} // namespace kora::cli
