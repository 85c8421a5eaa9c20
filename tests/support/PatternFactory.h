#pragma once

#include <QByteArray>
#include <array>
#include <memory>
#include <vector>

#include "data/Hao.h"
#include "data/Stream.h"
#include "search/Gui2Reg.h"

// A pattern with the given point counts, steps, layout and contrast kind; enough for the
// list texts and the painting.
inline std::unique_ptr<TGui2Reg> MakePattern(int highPoints, int lowPoints, int steps,
                                             int layout = 1, int contrast = 3, int sum = 3) {
    auto p = std::make_unique<TGui2Reg>();
    for (int i = 0; i < highPoints; ++i) p->Line(1).Add(TPoint{1 + i % 4, -1 - i / 4});
    for (int i = 0; i < lowPoints; ++i) p->Line(0).Add(TPoint{1 + i % 4, -(i / 4)});
    for (int s = 0; s < steps; ++s) p->AddStep({sum, (sum + 5) % 10});
    p->Layout = layout;
    p->ContrastKind = contrast;
    p->BaseRow = 20;
    p->SetPosition(0, 1, true);
    p->SetResult(0, 7);
    return p;
}

// The bytes of a work document with the given draws and patterns.
inline QByteArray DocumentBytes(const std::vector<std::array<int, 7>>& draws,
                                const std::vector<std::unique_ptr<TGui2Reg>>& patterns) {
    TCodes codes;
    for (const auto& d : draws) {
        const int row = codes.Add();
        for (int p = 1; p <= 7; ++p) codes.SetNum(p, row, d[p - 1]);
    }
    TMemoryStream stream;
    codes.SaveToStream(stream);
    stream.WriteInt32(static_cast<int32_t>(patterns.size()));
    for (const auto& p : patterns) p->SaveToStream(stream);
    codes.SaveToStream(stream);
    return QByteArray(reinterpret_cast<const char*>(stream.Bytes().data()),
                      static_cast<qsizetype>(stream.Bytes().size()));
}
