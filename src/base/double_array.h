// Reference-counted blocks of doubles, shared between a solver's row buffer
// and the time courses made from it, so that handing over a solution copies
// no values.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace kora {

struct DoubleChunk {
    explicit DoubleChunk(size_t n); // data is null when the allocation fails
    ~DoubleChunk();
    DoubleChunk(const DoubleChunk&) = delete;
    DoubleChunk& operator=(const DoubleChunk&) = delete;

    double* data = nullptr;
    size_t size = 0;
    std::atomic<int32_t> refCount{0};
};

// A handle on a DoubleChunk, or null. Copying shares the chunk; the count is
// atomic because a finished run's rows are shared and released on different
// threads. The values themselves are written only while one handle holds them.
class DoubleArray {
public:
    DoubleArray() = default;
    DoubleArray(const DoubleArray& other) { Share(other); }
    DoubleArray& operator=(const DoubleArray& other);
    DoubleArray(DoubleArray&& other) noexcept : chunk_(other.chunk_) { other.chunk_ = nullptr; }
    DoubleArray& operator=(DoubleArray&& other) noexcept;
    ~DoubleArray() { Release(); }

    void Allocate(size_t n);
    void Share(const DoubleArray& other);
    void Release();
    // Grows the chunk to `n` doubles keeping the first `keep` values; only for
    // a chunk this handle holds alone. False when the allocation fails.
    bool Grow(size_t n, size_t keep);

    bool IsNull() const { return chunk_ == nullptr; }
    double* data() const { return chunk_ ? chunk_->data : nullptr; }
    size_t size() const { return chunk_ ? chunk_->size : 0; }
    int32_t refCount() const { return chunk_ ? chunk_->refCount.load() : 0; }
    bool SharesWith(const DoubleArray& other) const { return chunk_ && chunk_ == other.chunk_; }

private:
    DoubleChunk* chunk_ = nullptr;
};

} // namespace kora
