#pragma once

// The record of changes of a packet's top-level rows, kept in PARAMS as CHANGE_LOG: a flat
// list of triples "row original-row state", rows numbered from 1 in ROWDATA order and 0 for
// "no original row". The entries this engine writes:
//   r 0 4    row r was inserted
//   r o 8    row r is the new version of row o (o keeps its original image, RowState 1)
//   r 0 2    row r was deleted (it stays in place with RowState 2)
//   r 0 64   row r kept its own values while its detail rows changed
// Entries of other forms that a packet brings along are kept as they are.

#include <string>
#include <string_view>
#include <vector>

namespace bramolt::dataset {

// Row states, as RowState attributes and as the third number of an entry.
inline constexpr int kRowOriginal = 1;
inline constexpr int kRowDeleted = 2;
inline constexpr int kRowInserted = 4;
inline constexpr int kRowModified = 8;
inline constexpr int kRowDetailsChanged = 64;

struct TChange {
    int FRow;
    int FOriginal;
    int FState;
    bool operator==(const TChange&) const = default;
};

class TChangeLog {
  public:
    // Reads CHANGE_LOG text; throws EDataSetError for anything but triples of numbers that
    // name rows from 1 to `rowCount` (originals 0 to `rowCount`).
    static TChangeLog Read(std::string_view text, int rowCount);
    std::string Write() const;

    const std::vector<TChange>& Changes() const noexcept { return FChanges; }
    bool Empty() const noexcept { return FChanges.empty(); }
    void Add(TChange change) { FChanges.push_back(change); }
    // Drops the entries about `row` in the first place, of the given states (-1: all).
    void Remove(int row, int state = -1);
    // The row whose version `row` is: the original of its entry of state 8; 0 when none.
    int OriginalOf(int row) const noexcept;
    // The newer version of `row`, when an entry names it as original; 0 when none.
    int VersionOf(int row) const noexcept;
    // After row `row` left ROWDATA: the rows behind it move up by one.
    void RowRemoved(int row);

  private:
    std::vector<TChange> FChanges;
};

} // namespace bramolt::dataset
