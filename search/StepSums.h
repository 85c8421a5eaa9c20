#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

// The line sums of a pattern's steps, step-major, read like a std::vector<int32_t>. A search
// makes digits only: up to 16 sums that fit a byte stay inside the object (a pattern of eight
// steps needs no block of its own); any other value, as a hand-edited document may hold, moves
// them all to a block of int32 and is kept exactly.
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

    TStepSums() : small_{} {}
    TStepSums(std::initializer_list<int32_t> sums);
    TStepSums(const TStepSums& other);
    TStepSums& operator=(const TStepSums& other);
    ~TStepSums();

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    int32_t operator[](size_t index) const { return Wide() ? wide_[index] : small_[index]; }
    int32_t at(size_t index) const;  // throws std::out_of_range past the end
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

    void push_back(int32_t sum);
    void reserve(size_t count);
    void clear() { size_ = 0; }
    void assign(const int32_t* sums, size_t count);

    friend bool operator==(const TStepSums& a, const TStepSums& b);
    friend bool operator==(const TStepSums& a, const std::vector<int32_t>& b);

  private:
    static constexpr uint32_t SmallCapacity = 16;
    bool Wide() const { return capacity_ != 0; }
    void Widen(size_t capacity);

    union {
        int8_t small_[SmallCapacity];  // while capacity_ is 0
        int32_t* wide_;
    };
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;  // of the block; 0 while the sums live inside
};
static_assert(sizeof(TStepSums) == 24, "as small as the std::vector it replaces");
