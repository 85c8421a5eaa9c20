#pragma once

#include <string>
#include <vector>

#include "search/SearchOptions.h"

// What is wrong with options the search cannot use, one sentence per problem, in the words of
// the options dialog (高线/低线, 行, 个点); empty when the search can run with them.
std::vector<std::string> SearchOptionProblems(const SearchOptions& options);

// The problems as one message, or the empty text when there are none.
std::string SearchOptionMessage(const SearchOptions& options);
