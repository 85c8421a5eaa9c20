#include <cstdio>

int main() {
    std::fprintf(stderr, "tolvane-search: the search engine is not built yet.\n");
    return 2;
}
