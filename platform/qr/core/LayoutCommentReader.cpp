#include "LayoutCommentReader.h"

#include "ElementPath.h"

#include <QStringList>
#include <QXmlStreamReader>

namespace Qr {

namespace {

const QString kRoot = QStringLiteral("report#0");

// Elements written back with text only or with nothing inside: a comment found within one is
// kept just before it.
bool keepsNoComment(const QString& tag)
{
    static const QStringList tags = {"text", "query", "page", "font", "parameter", "column-blocks"};
    return tags.contains(tag);
}

} // namespace

LayoutComments LayoutCommentReader::read(const QByteArray& xml)
{
    QXmlStreamReader reader(xml);
    ElementPath path;
    QStringList openTags;
    LayoutComments comments;
    // Comments whose place is the next element to start or end at their level.
    QList<qsizetype> waiting;
    const auto place = [&](const QString& anchor, bool atEnd) {
        for (qsizetype i : std::as_const(waiting)) {
            comments[i].anchor = anchor;
            comments[i].atEnd = atEnd;
        }
        waiting.clear();
    };
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            const QString tag = reader.name().toString();
            openTags.append(tag);
            place(path.enter(tag, ElementPath::identity(tag, reader.attributes())), false);
            break;
        }
        case QXmlStreamReader::EndElement:
            openTags.removeLast();
            place(path.leave(), true);
            break;
        case QXmlStreamReader::Comment:
            if (!openTags.isEmpty() && keepsNoComment(openTags.last())) {
                comments.append({reader.text().toString(), path.current(), false});
            } else {
                comments.append({reader.text().toString(), QString(), false});
                waiting.append(comments.size() - 1);
            }
            break;
        default:
            break;
        }
    }
    // After the root element: at the end of the document.
    place(QString(), true);
    return comments;
}

bool LayoutCommentReader::standsInBands(const LayoutComment& comment)
{
    if (comment.anchor == kRoot)
        return comment.atEnd;
    for (const char* tag : {"/band[", "/group[", "/list["})
        if (comment.anchor.startsWith(kRoot + QLatin1String(tag)))
            return true;
    return false;
}

} // namespace Qr
