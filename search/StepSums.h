#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

// The line sums of a pattern's steps, step-major, read like a std::vector<int32_t>. A search
// makes digits only: up to 16 sums of 0-15 stay inside the object, four bits each (a pattern
// of eight steps needs no block of its own); any other value, as a hand-edited document may
// hold, moves them all to a block of int32 and is kept exactly.
class TStepSums {
  public:
    class const_iterator {
      public:
        using value_type = int32_t;
        using difference_type = std::ptrdiff_t;
        using reference = int32_t;
        using pointer = void;
        using iterator_category = std::input_iterator_tag;
        const_iterator(const TStepSums* sums, size_t index) : sums_(sums), index_(index) {}
        int32_t operator*() const { return (*sums_)[index_]; }
        const_iterator& operator++() {
            ++index_;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

      private:
        const TStepSums* sums_;
        size_t index_;
    };
    using iterator = const_iterator;
    using value_type = int32_t;

    TStepSums() : small_(0) {}
    TStepSums(std::initializer_list<int32_t> sums);
    TStepSums(const TStepSums& other);
    TStepSums& operator=(const TStepSums& other);
    ~TStepSums();

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    int32_t operator[](size_t index) const {
        return Wide() ? wide_[index] : static_cast<int32_t>((small_ >> (4 * index)) & 15);
    }
    int32_t at(size_t index) const;  // throws std::out_of_range past the end
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

    // Inline: a search adds every sum of every pattern it finds.
    void push_back(int32_t sum) {
        if (!Wide() && size_ < SmallCapacity && static_cast<uint32_t>(sum) < 16) {
            small_ |= uint64_t{static_cast<uint32_t>(sum)} << (4 * size_);
            ++size_;
        } else {
            PushWide(sum);
        }
    }
    void reserve(size_t count) {
        if (count > SmallCapacity && count > capacity_) Widen(count);
    }
    void clear() {
        size_ = 0;
        if (!Wide()) small_ = 0;
    }
    void assign(const int32_t* sums, size_t count);

    friend bool operator==(const TStepSums& a, const TStepSums& b);
    friend bool operator==(const TStepSums& a, const std::vector<int32_t>& b);

  private:
    static constexpr uint32_t SmallCapacity = 16;
    bool Wide() const { return capacity_ != 0; }
    void Widen(size_t capacity);
    void PushWide(int32_t sum);

    union {
        uint64_t small_;  // sum i in bits 4i..4i+3, while capacity_ is 0
        int32_t* wide_;
    };
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;  // of the block; 0 while the sums live inside
};
static_assert(sizeof(TStepSums) == 16, "smaller than the std::vector it replaces");
