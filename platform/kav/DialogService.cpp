#include "DialogService.h"

namespace Kav {

QString dialogKindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Lookup:
        return QStringLiteral("lookup");
    case DialogKind::List:
        return QStringLiteral("list");
    case DialogKind::File:
        return QStringLiteral("file");
    case DialogKind::Preview:
        return QStringLiteral("preview");
    case DialogKind::Question:
        return QStringLiteral("question");
    }
    return {};
}

void DialogService::record(const QString& text)
{
    m_messages.append(text);
    emit messageShown(text);
}

void DialogService::showError(const QString& text)
{
    record(text);
    present(MessageKind::Error, text);
}

void DialogService::showInformation(const QString& text)
{
    record(text);
    present(MessageKind::Information, text);
}

bool DialogService::askQuestion(const QString& text)
{
    record(text);
    return answerQuestion(text);
}

QString DialogService::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    m_lastOffered = dir;
    return chooseFile(FilePurpose::Save, parent, caption, dir, filter);
}

QString DialogService::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    return chooseFile(FilePurpose::Open, parent, caption, dir, filter);
}

} // namespace Kav
