#pragma once
// A comment of a .QR2 file and the place it stands: before an element, or at the end of one (after
// its last child). The place is an element path (see ElementPath), so the comment follows its
// element wherever a layout written again puts it.

#include <QList>
#include <QString>

namespace Qr {

struct LayoutComment
{
    QString text;
    QString anchor;     // path of the element the comment stands before or at the end of
    bool atEnd = false; // at the end of `anchor` rather than before it

    bool operator==(const LayoutComment&) const = default;
};

using LayoutComments = QList<LayoutComment>;

} // namespace Qr
