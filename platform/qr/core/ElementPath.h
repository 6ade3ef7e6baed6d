#pragma once
// Names the elements of a .QR2 file by where they stand: each step is the tag, the element's own
// name where it has one (a band's kind, a group's, list's or parameter's name) and how many such
// siblings came before it ("report#0/band[detail]#0/field#3"). A layout read and written again
// gives its elements the same paths, even when the writer puts the bands in another order.

#include <QHash>
#include <QList>
#include <QString>

class QXmlStreamAttributes;

namespace Qr {

class ElementPath
{
public:
    // The name an element of this tag takes from its attributes; empty when it has none.
    static QString identity(const QString& tag, const QXmlStreamAttributes& attributes);

    // Enters a child of the current element and returns its path.
    QString enter(const QString& tag, const QString& identity = QString());
    // Leaves the current element and returns its path.
    QString leave();
    QString current() const;
    bool isEmpty() const { return m_frames.isEmpty(); }

private:
    struct Frame
    {
        QString path;
        QHash<QString, int> childrenSeen; // step without its count -> siblings seen so far
    };
    QList<Frame> m_frames;
    QHash<QString, int> m_rootsSeen;
};

} // namespace Qr
