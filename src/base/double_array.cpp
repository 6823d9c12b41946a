#include "double_array.h"

#include <cstring>
#include <new>

namespace kora {

DoubleChunk::DoubleChunk(size_t n) {
    data = new (std::nothrow) double[n > 0 ? n : 1];
    if (data) size = n;
}

DoubleChunk::~DoubleChunk() {
    delete[] data;
}

DoubleArray& DoubleArray::operator=(const DoubleArray& other) {
    if (this != &other && chunk_ != other.chunk_) {
        Release();
        Share(other);
    }
    return *this;
}

DoubleArray& DoubleArray::operator=(DoubleArray&& other) noexcept {
    if (this != &other) {
        Release();
        chunk_ = other.chunk_;
        other.chunk_ = nullptr;
    }
    return *this;
}

void DoubleArray::Allocate(size_t n) {
    Release();
    chunk_ = new (std::nothrow) DoubleChunk(n);
    if (!chunk_) return;
    chunk_->refCount.store(1);
    if (!chunk_->data) Release();
}

void DoubleArray::Share(const DoubleArray& other) {
    if (chunk_ == other.chunk_) return;
    Release();
    chunk_ = other.chunk_;
    if (chunk_) chunk_->refCount.fetch_add(1, std::memory_order_relaxed);
}

void DoubleArray::Release() {
    if (!chunk_) return;
    // The last owner deletes; acq_rel orders every other owner's use before it.
    if (chunk_->refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete chunk_;
    chunk_ = nullptr;
}

bool DoubleArray::Grow(size_t n, size_t keep) {
    if (!chunk_) return false;
    if (n <= chunk_->size) return true;
    // Moving a shared block would leave the other owners on freed memory.
    if (chunk_->refCount.load(std::memory_order_acquire) != 1) return false;
    double* bigger = new (std::nothrow) double[n];
    if (!bigger) return false;
    if (keep > chunk_->size) keep = chunk_->size;
    if (keep > 0) std::memcpy(bigger, chunk_->data, keep * sizeof(double));
    delete[] chunk_->data;
    chunk_->data = bigger;
    chunk_->size = n;
    return true;
}

} // namespace kora
