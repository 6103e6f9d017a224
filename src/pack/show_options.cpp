// The shared tables of the author's choices (see show_options.h).
#include "pack/show_options.h"

const CellRule kCells[kCellCount] = {
    {0, "centre", 1, 1},        {1, "top-left", 0, 0},      {2, "middle-left", 1, 0},
    {3, "bottom-left", 2, 0},   {4, "top-centre", 0, 1},    {5, "bottom-centre", 2, 1},
    {6, "top-right", 0, 2},     {7, "middle-right", 1, 2},  {8, "bottom-right", 2, 2},
    {kRandomPlacement, "random", -1, -1},
};

const CellRule* CellByCode(uint32_t code) {
    for (const CellRule& cell : kCells)
        if (cell.code == code)
            return &cell;
    return nullptr;
}

const CellRule* CellByName(const std::string& text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9')
        return CellByCode(uint32_t(text[0] - '0'));
    for (const CellRule& cell : kCells)
        if (text == cell.name)
            return &cell;
    return nullptr;
}

std::string CellNamesText() {
    std::string text;
    for (const CellRule& cell : kCells)
        text += (text.empty() ? "" : ", ") + std::string(cell.name);
    return text;
}
