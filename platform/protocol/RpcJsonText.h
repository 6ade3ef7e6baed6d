#pragma once
// Reads JSON text that already parsed as valid without decoding it: the elements of a batch and
// the id of a request exactly as the client wrote them. A number id is echoed digit for digit,
// where decoding it would round it to the nearest double.

#include <QByteArray>
#include <QList>

namespace Kav::Rpc::JsonText {

// The text of each element of a top-level array, without surrounding blanks.
QList<QByteArray> arrayElements(const QByteArray& array);

// The text of the member `key` of a top-level object (the last one if named twice, as the decoded
// object keeps it); empty when it has none.
QByteArray memberValue(const QByteArray& object, const QString& key);

} // namespace Kav::Rpc::JsonText
