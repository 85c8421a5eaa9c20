#include "search/StepSums.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

TStepSums::TStepSums(std::initializer_list<int32_t> sums) : small_(0) {
    assign(sums.begin(), sums.size());
}

TStepSums::TStepSums(const TStepSums& other) : small_(0) {
    *this = other;
}

TStepSums& TStepSums::operator=(const TStepSums& other) {
    if (this == &other) return *this;
    clear();
    reserve(other.size_);
    for (int32_t sum : other) push_back(sum);
    return *this;
}

TStepSums::~TStepSums() {
    if (Wide()) delete[] wide_;
}

int32_t TStepSums::at(size_t index) const {
    if (index >= size_) throw std::out_of_range("TStepSums::at");
    return (*this)[index];
}

void TStepSums::PushWide(int32_t sum) {
    if (!Wide())
        Widen(std::max<size_t>(SmallCapacity, size_) * 2);
    else if (size_ == capacity_)
        Widen(size_t{capacity_} * 2);
    wide_[size_++] = sum;
}

void TStepSums::assign(const int32_t* sums, size_t count) {
    clear();
    reserve(count);
    for (size_t i = 0; i < count; ++i) push_back(sums[i]);
}

void TStepSums::Widen(size_t capacity) {
    if (capacity > std::numeric_limits<uint32_t>::max()) throw std::length_error("TStepSums");
    auto* block = new int32_t[capacity];
    for (uint32_t i = 0; i < size_; ++i) block[i] = (*this)[i];
    if (Wide()) delete[] wide_;
    wide_ = block;
    capacity_ = static_cast<uint32_t>(capacity);
}

bool operator==(const TStepSums& a, const TStepSums& b) {
    return a.size_ == b.size_ && std::equal(a.begin(), a.end(), b.begin());
}

bool operator==(const TStepSums& a, const std::vector<int32_t>& b) {
    return a.size_ == b.size() && std::equal(a.begin(), a.end(), b.begin());
}
