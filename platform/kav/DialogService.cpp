#include "DialogService.h"

#include "RecentSaveFolder.h"
#include "SaveFileName.h"

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
    m_lastOffered = RecentSaveFolder::startFor(dir);
    const QString chosen = chooseFile(FilePurpose::Save, parent, caption, m_lastOffered, filter);
    if (chosen.isEmpty())
        return {};
    // The screen's dialog has settled the name already; an answer given beforehand is held to
    // the same rules, with the first file type as the chosen one.
    if (const QString refusal = SaveFileName::refusal(chosen); !refusal.isEmpty()) {
        showError(refusal);
        return {};
    }
    const QString fileName = SaveFileName::settled(chosen, filter.split(QStringLiteral(";;")), QString());
    RecentSaveFolder::remember(fileName);
    return fileName;
}

QString DialogService::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    return chooseFile(FilePurpose::Open, parent, caption, dir, filter);
}

} // namespace Kav
