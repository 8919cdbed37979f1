#pragma once
// Besides its own report, each bench prints its key figures as lines of
//   row <TAB> bench <TAB> figure <TAB> value <TAB> unit <TAB> goal
// which scripts/bench gathers from every bench into one table.

#include <cstdio>

/// `goal` is empty or a comparison with a number in `unit`: ">= 900", "< 1".
inline void BenchRow(const char* bench, const char* figure, double value, int decimals,
                     const char* unit, const char* goal = "") {
    std::printf("row\t%s\t%s\t%.*f\t%s\t%s\n", bench, figure, decimals, value, unit, goal);
    std::fflush(stdout);
}
