#include "data/Hao.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "draw records are stored as raw little-endian rows");

void TCodes::SetCount(int32_t newCount) {
    if (newCount < 0) throw TError("TCodes.SetCount NewCount is not valid!");
    if (newCount == Count()) return;
    modified_ = true;
    records_.resize(static_cast<size_t>(newCount));
}

int32_t TCodes::Add() {
    SetCount(Count() + 1);
    records_.back() = DrawRecord{};
    return Count() - 1;
}

int32_t TCodes::GetNum(int32_t position, int32_t index) const {
    if (index < 0 || index >= Count() || position < 0 || position > 7)
        throw TError("TCodes.GetNum Err!");
    return records_[index][position];
}

DrawRecord TCodes::GetCode(int32_t index) const {
    if (index < 0 || index >= Count()) throw TError("TCodes.GeTCode Err!");
    return records_[index];
}

void TCodes::SetNum(int32_t position, int32_t index, int32_t value) {
    if (index < 0 || index >= Count() || position < 0 || position > 7 || value < 0 || value > 9)
        throw TError("SetNum Err!");
    records_[index][position] = value;
    modified_ = true;
    RecomputeSum(records_[index]);
}

void TCodes::SetCode(int32_t index, const DrawRecord& record) {
    if (index < 0 || index >= Count()) throw TError("SetCode Err!");
    if (records_[index] == record) return;
    records_[index] = record;
    modified_ = true;
    RecomputeSum(records_[index]);
}

void TCodes::RecomputeSum(DrawRecord& record) {
    record[0] = record[1] + record[2] + record[3] + record[4];
}

void TCodes::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TCodes*>(&source);
    if (other == nullptr) throw TError("TCodes.Assign Source isnot valid!");
    if (other == this) return;
    Clear();
    firstIssue_ = other->firstIssue_;
    modified_ = true;
    SetCount(other->Count());
    std::copy(other->records_.begin(), other->records_.end(), records_.begin());
}

void TCodes::AssignTo(TPersistent& dest) const {
    auto* other = dynamic_cast<TCodes*>(&dest);
    if (other == nullptr) throw TError("TCodes.AssignTo Dest isnot valid!");
    other->Assign(*this);
}

void TCodes::LoadFromStream(TMemoryStream& stream) {
    // Read everything first so that a short or hostile record leaves the list as it was.
    const int32_t firstIssue = stream.ReadInt32("the first issue number of a draw list");
    const int32_t count = stream.ReadInt32("the row count of a draw list");
    if (count < 0) throw TError("TCodes.SetCount NewCount is not valid!");
    if (stream.Remaining() / sizeof(DrawRecord) < static_cast<size_t>(count)) {
        throw TTruncatedError(
            "The data ends inside the rows of a draw list: " + std::to_string(count) +
            " rows expected, " + std::to_string(stream.Remaining() / sizeof(DrawRecord)) +
            " present.");
    }
    std::vector<DrawRecord> rows(static_cast<size_t>(count));
    stream.ReadExact(rows.data(), rows.size() * sizeof(DrawRecord), "the rows of a draw list");
    Clear();
    firstIssue_ = firstIssue;
    records_ = std::move(rows);
    modified_ = false;
}

void TCodes::SaveToStream(TMemoryStream& stream) const {
    stream.WriteInt32(firstIssue_);
    stream.WriteInt32(Count());
    stream.Write(records_.data(), records_.size() * sizeof(DrawRecord));
}
