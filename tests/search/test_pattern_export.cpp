#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/FileIo.h"
#include "search/PatternExport.h"
#include "tests/support/TempFolder.h"

namespace {

std::unique_ptr<TGui2Reg> Pattern(int32_t layout, int32_t contrast) {
    auto p = std::make_unique<TGui2Reg>();
    p->Line(1).Add(TPoint{1, -1});
    p->Line(1).Add(TPoint{3, -1});
    p->Line(1).Add(TPoint{2, 0});
    p->Line(0).Add(TPoint{4, 0});
    p->Line(0).Add(TPoint{5, -2});
    p->AddStep({3, 8});
    p->AddStep({3, 8});
    p->Layout = layout;
    p->ContrastKind = contrast;
    p->BaseRow = 17;
    p->SetPosition(1, 2, true);
    p->SetPosition(0, 4, true);
    p->SetResult(1, 7);
    p->SetResult(0, 2);
    return p;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(PatternExport, RowsInTheGivenOrderWithTheListTextsAndTheHiddenFields) {
    const auto first = Pattern(1, 1);
    const auto second = Pattern(2, 3);
    const std::vector<const TGui2Reg*> rows = {second.get(), first.get()};
    std::string text;
    ASSERT_TRUE(WritePatternTable(rows, [&](std::string_view chunk) { text += chunk; }));
    ASSERT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    const std::vector<std::string> lines = Lines(text.substr(3));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "点,步,格局,明对,位置,合值,结果,基准行,格局序号,明对序号,高线位置,高线结果,"
              "低线位置,低线结果");
    // Texts that hold commas are quoted; the high line predicts at B, the low line at D.
    EXPECT_EQ(lines[1], "32,2,隔一,明对,\"B,D\",\"83,xx\",\"B=72,D=27\",17,2,3,B,72,D,27");
    EXPECT_EQ(lines[2], "32,2,流水,全明,\"B,D\",\"83,xx\",\"B=7,D=2\",17,1,1,B,7,D,2");
}

TEST(PatternExport, AStoppedExportLeavesTheOldFileAndProgressCounts) {
    const std::string folder = TempFolder("tolvane_pattern_export");
    const std::string path = folder + "/patterns.csv";
    WriteFileAtomically(path, "old");
    std::vector<std::unique_ptr<TGui2Reg>> owned;
    std::vector<const TGui2Reg*> rows;
    for (int i = 0; i < 40000; ++i) {
        owned.push_back(Pattern(1 + i % 4, 1 + i % 3));
        rows.push_back(owned.back().get());
    }
    std::vector<int64_t> reports;
    TJobControl control;
    control.SetWake([&] {
        reports.push_back(control.Progress().Done);
        control.Looked();
        control.Cancel();
    });
    EXPECT_FALSE(ExportPatternTable(path, rows, &control));
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(ReadTextFile(path), "old");
    // Its temporary file goes with it: the folder holds the old table alone.
    const std::filesystem::directory_iterator entries(folder);
    EXPECT_EQ(std::distance(std::filesystem::begin(entries), std::filesystem::end(entries)), 1);

    reports.clear();
    TJobControl going;
    going.SetWake([&] {
        reports.push_back(going.Progress().Done);
        going.Looked();
    });
    EXPECT_TRUE(ExportPatternTable(path, rows, &going));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), 40000);
    EXPECT_EQ(Lines(ReadTextFile(path).substr(3)).size(), 40001u);
}

}  // namespace
