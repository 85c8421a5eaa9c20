#pragma once

#include <cstdint>
#include <string>

#include "data/DrawCalendar.h"

// Every search and display option; each field bears the name of its INI key.
struct SearchOptions {
    std::string MemberName;      // [TRegOptions] userName; the download's member name
    std::string MemberPassword;  // [TRegOptions] userPW
    int32_t LinedDistMinSe = 0;  // shown only; the low line always starts at row offset 0
    int32_t LinedDistMaxSe = 3;  // last row offset of the low line
    int32_t LinegDistMinSe = 1;  // first row offset of the high line
    int32_t LinegDistMaxSe = 5;  // last row offset of the high line
    int32_t LinedPtMinSe = 2;    // point count range of the low line
    int32_t LinedPtMaxSe = 3;
    int32_t LinegPtMinSe = 2;  // point count range of the high line
    int32_t LinegPtMaxSe = 3;
    int32_t SecCountSe = 4;    // fewest steps, counting the predicting step 0
    bool ClearDupChk = false;  // reject patterns that cover a cell twice over their steps
    bool RefSumChk = false;    // the sum column H takes part
    bool RefTailChk = false;   // digit columns E-G take part
    int32_t RefWidthSe = 7;
    int32_t SecInterGbx = 0;        // 0 every layout, 1-4 only that layout
    int32_t SumConstrastGbx = 0;    // contrast kind of the patterns; 0 builds them as 3 (明对)
    int32_t FallTargetGbx = 0;      // negative switches the position filter off
    int32_t FallStyleGbx = 0;       // 0 any, 1 定位定数, 2 两位合分, 3 两位差分
    int32_t LinkLineStyleGbx = 0;   // display: straight (0) or curved (1) links
    int32_t DrawBoxStyleCbb = 1;    // display: marker shape
    int32_t BoxColorModeCbb = 3;    // display: colour mode
    int32_t CellHeightSe = 30;      // display: grid cell size in pixels
    std::string ServiceUrl;         // [TDataDown] ServiceUrl; empty: the built-in service
    bool AutoUpdateChk = true;      // [TDataDown] AutoUpdate: check the service for new draws
    int32_t AutoUpdateHoursSe = 3;  // [TDataDown] AutoUpdateHours: hours between checks, 1-24
    int32_t DrawDays = DefaultDrawDays;  // [TDataDown] DrawDays "2,5,7": the draw weekdays
    int32_t MaxPatterns = 0;             // [TSearchLimits] MaxPatterns; 0: a share of the memory

    bool operator==(const SearchOptions&) const = default;
};
