// The shared tables of the author's choices (see show_options.h).
#include "pack/show_options.h"

namespace {

const CellRule kCells[] = {
    {0, "centre", 1, 1},        {1, "top-left", 0, 0},      {2, "middle-left", 1, 0},
    {3, "bottom-left", 2, 0},   {4, "top-centre", 0, 1},    {5, "bottom-centre", 2, 1},
    {6, "top-right", 0, 2},     {7, "middle-right", 1, 2},  {8, "bottom-right", 2, 2},
    {kRandomPlacement, "random", -1, -1},
};

}  // namespace

int CellCount() { return int(sizeof kCells / sizeof kCells[0]); }

const CellRule* CellByCode(uint32_t code) {
    for (const CellRule& cell : kCells)
        if (cell.code == code)
            return &cell;
    return nullptr;
}

const CellRule* CellByName(const std::string& text) {
    const bool number = !text.empty() && text.size() <= 3 && (text[0] != '0' || text.size() == 1) &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    if (number)
        return CellByCode(uint32_t(std::stoi(text)));
    for (const CellRule& cell : kCells)
        if (text == cell.name)
            return &cell;
    return nullptr;
}

const CellRule* CellAtPlace(int row, int column) {
    for (const CellRule& cell : kCells)
        if (cell.row == row && cell.column == column && row >= 0 && column >= 0)
            return &cell;
    return nullptr;
}

std::string CellNamesText() {
    std::string text;
    for (const CellRule& cell : kCells)
        text += (text.empty() ? "" : ", ") + std::string(cell.name);
    return text;
}
