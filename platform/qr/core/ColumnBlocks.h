#pragma once
// Columns bound to numbered parameters that come in blocks: a layout with columns for
// P_NUTRIENTE1..8 prints the codes bound to P_NUTRIENTE9..16 in a second block of the same
// columns, and so on. Each block runs the report again (query and bands) with the first
// parameters of the run holding that block's values.

#include <QString>

namespace Qr {

class TParams;

struct ColumnBlocks
{
    QString prefix; // P_NUTRIENTE: parameters P_NUTRIENTE1, P_NUTRIENTE2...
    int size = 0;   // columns of one block
    int count = 0;  // blocks at most

    bool operator==(const ColumnBlocks&) const = default;

    // Name of the n-th parameter (from 1).
    QString parameterName(int n) const;
    // The parameters of block `block` (from 0): prefix1..size receive the block's values as texts
    // (the values of the parameters the layout declares; empty for the others). False
    // (and nothing changed) for a block after the first whose first value is empty.
    bool applyBlock(TParams& params, int block) const;
};

} // namespace Qr
