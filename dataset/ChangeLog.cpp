#include "dataset/ChangeLog.h"

#include "dataset/DataSetError.h"

#include <algorithm>
#include <charconv>

namespace bramolt::dataset {

TChangeLog TChangeLog::Read(std::string_view text, int rowCount)
{
    std::vector<int> numbers;
    std::size_t pos = 0;
    while (true) {
        pos = text.find_first_not_of(" \t\r\n", pos);
        if (pos == std::string_view::npos)
            break;
        int number = 0;
        const auto [end, error] = std::from_chars(text.data() + pos, text.data() + text.size(), number);
        const std::size_t next = static_cast<std::size_t>(end - text.data());
        if (error != std::errc() || number < 0 ||
            (next < text.size() && text.find_first_of(" \t\r\n", next) != next))
            throw EDataSetError("Invalid XML data packet: CHANGE_LOG holds '" + std::string(text) + "'");
        numbers.push_back(number);
        pos = next;
    }
    if (numbers.size() % 3 != 0)
        throw EDataSetError("Invalid XML data packet: CHANGE_LOG does not hold triples of numbers");
    TChangeLog log;
    for (std::size_t i = 0; i < numbers.size(); i += 3) {
        const TChange change{numbers[i], numbers[i + 1], numbers[i + 2]};
        if (change.FRow < 1 || change.FRow > rowCount || change.FOriginal > rowCount)
            throw EDataSetError("Invalid XML data packet: CHANGE_LOG names row " +
                                std::to_string(std::max(change.FRow, change.FOriginal)) + " of " +
                                std::to_string(rowCount));
        log.FChanges.push_back(change);
    }
    return log;
}

std::string TChangeLog::Write() const
{
    std::string text;
    for (const TChange& change : FChanges) {
        for (const int number : {change.FRow, change.FOriginal, change.FState}) {
            if (!text.empty())
                text += ' ';
            text += std::to_string(number);
        }
    }
    return text;
}

void TChangeLog::Remove(int row, int state)
{
    std::erase_if(FChanges,
                  [&](const TChange& c) { return c.FRow == row && (state < 0 || c.FState == state); });
}

int TChangeLog::OriginalOf(int row) const noexcept
{
    for (const TChange& change : FChanges) {
        if (change.FRow == row && change.FOriginal != 0 && (change.FState & kRowModified))
            return change.FOriginal;
    }
    return 0;
}

int TChangeLog::VersionOf(int row) const noexcept
{
    for (const TChange& change : FChanges) {
        if (change.FOriginal == row && (change.FState & kRowModified))
            return change.FRow;
    }
    return 0;
}

void TChangeLog::RowRemoved(int row)
{
    for (TChange& change : FChanges) {
        change.FRow -= change.FRow > row;
        change.FOriginal -= change.FOriginal > row;
    }
}

} // namespace bramolt::dataset
