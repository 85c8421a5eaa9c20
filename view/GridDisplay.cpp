#include "view/GridDisplay.h"

#include "view/GridGeometry.h"

TGridDisplay GridDisplayFor(const SearchOptions& options) {
    TGridDisplay display;
    display.ColCount = options.RefTailChk ? 10 : 7;
    const bool shown = options.CellHeightSe >= TGridGeometry::MinCellHeight &&
                       options.CellHeightSe <= TGridGeometry::MaxCellHeight;
    display.CellHeight = shown ? options.CellHeightSe : TGridGeometry::MinCellHeight;
    display.BoxColorMode = options.BoxColorModeCbb;
    display.LinkLineStyle = options.LinkLineStyleGbx;
    display.DrawBoxStyle = options.DrawBoxStyleCbb;
    return display;
}
