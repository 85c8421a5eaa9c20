#pragma once

#include <vector>

#include "data/DrawRegister.h"
#include "data/Hao.h"
#include "search/DocumentView.h"
#include "search/Gui2RegMgr.h"
#include "search/SearchOptions.h"
#include "ui/DocumentFeed.h"

// A document of its own for a window under test, handed over as the main window hands over
// its own: the test fills the parts and emits the feed's signals after a change. Chosen, when
// not empty, stands for the list's selection.
struct TStandaloneDocument {
    TCodes Draws;
    TDrawRegister Register;
    SearchOptions Options;
    TGui2RegMgr Patterns{Options};
    std::vector<const TGui2Reg*> Chosen;
    TDocumentFeed Feed{TDocumentView(Draws, Register, Patterns, Options, 1, [this] {
        if (!Chosen.empty()) return Chosen;
        std::vector<const TGui2Reg*> all;
        for (int32_t i = 0; i < Patterns.Count(); ++i) all.push_back(&Patterns.Get(i));
        return all;
    })};
};
