#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class TCodes;
class TDrawRegister;
class TGui2Reg;
class TGui2RegMgr;
struct SearchOptions;

// The game the document's draws are of. Only the classic game of seven digits 0-9 exists
// today; when there are others, the game's positions and rules join this type, and every
// window reads them from the view as it reads the draws.
struct TDocumentGame {
    std::string Name = "七位数";
};

// What a window may read of the open document: the draws (owned by the grid control), their
// 期号 and dates, the patterns, the search options and the game. Every window is handed the
// same view (through TDocumentFeed, ui/DocumentFeed.h) and reads the document through it
// alone; only the main window and its commands change the document, and the feed's signals
// tell the windows when. The parts it refers to outlive every window that holds the view.
class TDocumentView {
  public:
    // The patterns a window works on: the list's selection, or every pattern when none is
    // selected.
    using TChosenPatterns = std::function<std::vector<const TGui2Reg*>()>;

    TDocumentView(const TCodes& draws, const TDrawRegister& reg, const TGui2RegMgr& patterns,
                  const SearchOptions& options, int32_t issueBase, TChosenPatterns chosen)
        : draws_(draws),
          register_(reg),
          patterns_(patterns),
          options_(options),
          issueBase_(issueBase),
          chosen_(std::move(chosen)) {}

    const TCodes& Draws() const { return draws_; }
    // The 期号 and date of each draw (unknown ones empty).
    const TDrawRegister& Register() const { return register_; }
    // Every pattern and the draws of the search that found them.
    const TGui2RegMgr& Patterns() const { return patterns_; }
    std::vector<const TGui2Reg*> ChosenPatterns() const { return chosen_ ? chosen_() : All(); }
    const SearchOptions& Options() const { return options_; }
    // The number of draw index 0 where no 期号 is known.
    int32_t IssueBase() const { return issueBase_; }
    const TDocumentGame& Game() const { return game_; }

  private:
    std::vector<const TGui2Reg*> All() const;

    const TCodes& draws_;
    const TDrawRegister& register_;
    const TGui2RegMgr& patterns_;
    const SearchOptions& options_;
    int32_t issueBase_ = 1;
    TChosenPatterns chosen_;
    TDocumentGame game_;
};
