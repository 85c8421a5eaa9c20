#pragma once

#include <cstdint>

#include "data/Persistent.h"
#include "data/Stream.h"

// A grid cell relative to a pattern's base row: X the column (0 = H, 1-7 = A-G),
// Y the row offset (0 = the coming draw, negative going back in time).
struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TPoint&) const = default;
};
static_assert(sizeof(TPoint) == 8);

// Growable array of points in insertion order. Up to four points (a pattern line's usual
// size) live inside the object; Capacity() keeps its growth steps either way.
class TPointList : public TPersistent {
  public:
    static constexpr int32_t MaxListSize = 134217727;
    static constexpr int32_t InlinePoints = 4;

    TPointList() : heap_(nullptr) {}
    TPointList(const TPointList& other);
    TPointList& operator=(const TPointList& other);
    ~TPointList() override;

    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }

    int32_t Add(TPoint point);
    TPoint Get(int32_t index) const;
    void Put(int32_t index, TPoint point);
    void Delete(int32_t index);
    void SetCount(int32_t newCount);
    // Sets the list to count points, point i being pointAt(i): as SetCount(count) and Put of
    // each point, capacity included. Inline: a search fills two lines of every pattern it finds.
    template <class PointAt>
    void SetPoints(int32_t count, PointAt pointAt) {
        if (count > capacity_ && count <= InlinePoints)
            capacity_ = count;  // stays inside the object
        else if (count < 0 || count > capacity_)
            SetCount(count);  // checks and grows
        TPoint* items = Data();
        for (int32_t i = 0; i < count; ++i) items[i] = pointAt(i);
        count_ = count;
    }
    void SetCapacity(int32_t newCapacity);
    virtual void Clear();
    virtual void Grow();

    bool HasDuplicates() const;

    void Assign(const TPersistent& source) override;
    void AssignTo(TPersistent& dest) const override;

    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;

    // Read-only view of the points, valid until the next change.
    const TPoint* Items() const { return Data(); }

  private:
    void CopyFrom(const TPointList& source);
    bool OnHeap() const { return capacity_ > InlinePoints; }
    TPoint* Data() { return OnHeap() ? heap_ : inline_; }
    const TPoint* Data() const { return OnHeap() ? heap_ : inline_; }

    union {
        TPoint* heap_;  // while the capacity exceeds InlinePoints
        TPoint inline_[InlinePoints];
    };
    int32_t count_ = 0;
    int32_t capacity_ = 0;
};
