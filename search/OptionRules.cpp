#include "search/OptionRules.h"

#include <cstdint>

#include "data/Error.h"
#include "search/SearchWalk.h"

namespace {

std::string Num(int64_t value) {
    return std::to_string(value);
}

// One line's rows and points as the dialog shows them.
struct TLineFields {
    const char* Name;  // 高线 or 低线
    int WalkLine;      // 1 for the high line, 0 for the low line
    int32_t RowFrom;
    int32_t RowTo;
    int32_t PointsMin;
    int32_t PointsMax;
};

}  // namespace

std::vector<std::string> SearchOptionProblems(const SearchOptions& options) {
    std::vector<std::string> problems;
    const TWalkGrid grid = MakeWalkGrid(options);
    const TLineFields lines[2] = {
        {"高线", 1, options.LinegDistMinSe, options.LinegDistMaxSe, options.LinegPtMinSe,
         options.LinegPtMaxSe},
        {"低线", 0, options.LinedDistMinSe, options.LinedDistMaxSe, options.LinedPtMinSe,
         options.LinedPtMaxSe},
    };
    bool shapeFine = true;
    for (const TLineFields& line : lines) {
        // The low line's first row is shown only: the search always starts it at row 0.
        if (line.WalkLine == 1 && line.RowFrom > line.RowTo) {
            problems.push_back(std::string(line.Name) + "跨越第" + Num(line.RowFrom) + "行至" +
                               Num(line.RowTo) + "行：起始行不能大于结束行。");
            shapeFine = false;
        }
        if (line.PointsMin > line.PointsMax) {
            problems.push_back(std::string(line.Name) + "有" + Num(line.PointsMin) + "个至" +
                               Num(line.PointsMax) + "个点：最少点数不能大于最多点数。");
            shapeFine = false;
        }
    }
    if (!shapeFine) return problems;

    // The walk puts a line's points on distinct cells of its own rows, starting with the
    // lowest ones; rows that hold fewer cells than the largest point count push the line out
    // of its rows (the low line always starts at row 0, whatever its first row shows).
    for (const TLineFields& line : lines) {
        const int k = line.WalkLine;
        const int64_t cells = int64_t{grid.Highest[k]} - grid.Lowest[k] + 1;
        if (cells < line.PointsMax) {
            const int32_t firstRow = k == 0 ? 0 : line.RowFrom;
            problems.push_back(std::string(line.Name) + "跨越第" + Num(firstRow) + "行至" +
                               Num(line.RowTo) + "行，只有" + Num(cells < 0 ? 0 : cells) +
                               "个格子，容纳不下" + Num(line.PointsMax) + "个点。");
        }
    }
    // 两位差分 wants the high line's first cell on the coming draw's row.
    if (options.FallStyleGbx == 3 && options.LinegDistMinSe > 0)
        problems.push_back("落码类型为“两位差分”时，高线必须从第0行开始。");
    if (!problems.empty()) return problems;

    try {
        CheckWalkOptions(options, grid);
    } catch (const TError& e) {
        problems.push_back(e.what());
    }
    return problems;
}

std::string SearchOptionMessage(const SearchOptions& options) {
    const std::vector<std::string> problems = SearchOptionProblems(options);
    if (problems.empty()) return {};
    std::string message = "这组搜索设置无法搜索，请修改后再确定：";
    for (const std::string& problem : problems) message += "\r\n" + problem;
    return message;
}
