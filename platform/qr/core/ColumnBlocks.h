#pragma once
// Columns bound to numbered parameters that come in blocks: a layout with columns for
// P_NUTRIENTE1..8 prints the codes bound to P_NUTRIENTE9..16 in a second block of the same
// columns, and so on for as many values as the run was given. Each block runs the report again
// (query, bands and the lists that read those parameters) with the first parameters of the run
// holding that block's values.

#include <QString>

namespace Qr {

class TParams;

struct ColumnBlocks
{
    QString prefix; // P_NUTRIENTE: parameters P_NUTRIENTE1, P_NUTRIENTE2...
    int size = 0;   // columns of one block

    bool operator==(const ColumnBlocks&) const = default;

    // Name of the n-th parameter (from 1).
    QString parameterName(int n) const;
    // How many values the run holds: prefix1, prefix2... up to the first absent or empty one.
    int valueCount(const TParams& params) const;
    // How many blocks those values fill; one when there is none.
    int blockCount(const TParams& params) const;
    // The parameters of block `block` (from 0): prefix1..size receive the block's values as texts
    // (empty past the last value).
    void applyBlock(TParams& params, int block) const;
    // Which values block `block` holds out of how many, as "9 a 16 de 26"; empty when every
    // value fits in one block.
    QString blockRange(int block, int valueCount) const;
};

} // namespace Qr
