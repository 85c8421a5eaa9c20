#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data/Persistent.h"
#include "data/Stream.h"

// Letter of each draw position: H for the sum of digits 1-4, A-G for the seven digits.
inline constexpr char PositionLetters[] = "HABCDEFG";

// One draw: [0] the sum of digits 1-4 (kept by TCodes), [1]-[7] the digits.
struct DrawRecord {
    std::array<int32_t, 8> Values{};
    int32_t& operator[](int position) { return Values[position]; }
    int32_t operator[](int position) const { return Values[position]; }
    bool operator==(const DrawRecord&) const = default;
};
static_assert(sizeof(DrawRecord) == 32);

// The history of draws, oldest first.
class TCodes : public TPersistent {
  public:
    TCodes() = default;
    TCodes(const TCodes&) = delete;
    TCodes& operator=(const TCodes&) = delete;
    ~TCodes() override = default;

    int32_t FirstIssue() const { return firstIssue_; }
    int32_t Count() const { return static_cast<int32_t>(records_.size()); }
    bool Modified() const { return modified_; }

    void SetCount(int32_t newCount);
    void Clear() { SetCount(0); }
    int32_t Add();

    int32_t GetNum(int32_t position, int32_t index) const;
    DrawRecord GetCode(int32_t index) const;
    void SetNum(int32_t position, int32_t index, int32_t value);
    void SetCode(int32_t index, const DrawRecord& record);

    void Assign(const TPersistent& source) override;
    void AssignTo(TPersistent& dest) const override;

    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;

    // Rows as one contiguous block, for readers that scan many values (the search).
    const DrawRecord* Rows() const { return records_.data(); }

  private:
    static void RecomputeSum(DrawRecord& record);

    int32_t firstIssue_ = 1;
    std::vector<DrawRecord> records_;
    bool modified_ = true;
};
