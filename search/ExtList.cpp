#include "search/ExtList.h"

#include <algorithm>

TPointList::TPointList(const TPointList& other) : TPersistent(), heap_(nullptr) {
    CopyFrom(other);
}

TPointList::~TPointList() {
    if (OnHeap()) delete[] heap_;
}

TPointList& TPointList::operator=(const TPointList& other) {
    if (this != &other) CopyFrom(other);
    return *this;
}

int32_t TPointList::Add(TPoint point) {
    if (count_ == capacity_) Grow();
    Data()[count_] = point;
    return count_++;
}

TPoint TPointList::Get(int32_t index) const {
    if (index < 0 || index >= count_) throw TError("TPointList.Get Index isnot valid!");
    return Data()[index];
}

void TPointList::Put(int32_t index, TPoint point) {
    if (index < 0 || index >= count_) throw TError("TPointList.Put Index isnot valid!");
    Data()[index] = point;
}

void TPointList::Delete(int32_t index) {
    if (index < 0 || index >= count_) throw TError("TPointList.Delete Index isnot valid!");
    --count_;
    TPoint* items = Data();
    std::copy(items + index + 1, items + count_ + 1, items + index);
}

void TPointList::SetCapacity(int32_t newCapacity) {
    if (newCapacity < count_ || newCapacity > MaxListSize)
        throw TError("TPointList.SetCapacity NewCapacity isnot valid!");
    if (newCapacity == capacity_) return;
    if (newCapacity > InlinePoints) {
        TPoint* block = new TPoint[static_cast<size_t>(newCapacity)];
        std::copy(Data(), Data() + count_, block);
        if (OnHeap()) delete[] heap_;
        heap_ = block;
    } else if (OnHeap()) {
        TPoint kept[InlinePoints];
        std::copy(heap_, heap_ + count_, kept);
        delete[] heap_;
        std::copy(kept, kept + count_, inline_);
    }
    capacity_ = newCapacity;
}

void TPointList::SetCount(int32_t newCount) {
    if (newCount < 0 || newCount > MaxListSize)
        throw TError("TPointList.SetCount NewCount isnot valid!");
    if (newCount > capacity_) SetCapacity(newCount);
    if (newCount > count_) std::fill(Data() + count_, Data() + newCount, TPoint{});
    count_ = newCount;
}

void TPointList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void TPointList::Grow() {
    int32_t delta = 4;
    if (capacity_ > 64)
        delta = capacity_ / 4;
    else if (capacity_ > 8)
        delta = 16;
    SetCapacity(capacity_ + delta);
}

bool TPointList::HasDuplicates() const {
    for (int32_t i = 0; i + 1 < count_; ++i)
        for (int32_t j = i + 1; j < count_; ++j)
            if (Data()[j] == Data()[i]) return true;
    return false;
}

void TPointList::CopyFrom(const TPointList& source) {
    Clear();
    SetCount(source.count_);
    std::copy(source.Data(), source.Data() + source.count_, Data());
}

void TPointList::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TPointList*>(&source);
    if (other == nullptr) throw TError("TPointList.Assign Source isnot valid!");
    if (other == this) return;  // clearing first would lose the points
    CopyFrom(*other);
}

void TPointList::AssignTo(TPersistent& dest) const {
    auto* other = dynamic_cast<TPointList*>(&dest);
    if (other == nullptr) throw TError("TPointList.AssignTo Dest isnot valid!");
    other->Assign(*this);
}

void TPointList::LoadFromStream(TMemoryStream& stream) {
    const int32_t count = stream.ReadInt32("the point count of a point list");
    if (count < 0 || count > MaxListSize) {
        Clear();
        throw TError("TPointList.SetCount NewCount isnot valid!");
    }
    // Check the length before allocating, so a hostile count cannot reserve gigabytes.
    if (stream.Remaining() / sizeof(TPoint) < static_cast<size_t>(count)) {
        throw TTruncatedError("The data ends inside the points of a point list: " +
                              std::to_string(count) + " points expected, " +
                              std::to_string(stream.Remaining() / sizeof(TPoint)) + " present.");
    }
    Clear();
    SetCount(count);
    stream.ReadExact(Data(), static_cast<size_t>(count) * sizeof(TPoint),
                     "the points of a point list");
}

void TPointList::SaveToStream(TMemoryStream& stream) const {
    stream.WriteInt32(count_);
    stream.Write(Data(), static_cast<size_t>(count_) * sizeof(TPoint));
}
