#include "ScriptedAnswers.h"

#include "KavException.h"

namespace Kav::ScriptedAnswers {

namespace {

const QString kNone = QStringLiteral("none");
const QString kYes = QStringLiteral("yes");
const QString kNo = QStringLiteral("no");
const QString kSave = QStringLiteral("save");
const QString kPreview = QStringLiteral("preview");
const QChar kFieldValue = QLatin1Char('=');
constexpr int kPageWords = 6; // paper, orientation, four margins

std::optional<QPageLayout::Orientation> orientation(const QString& word)
{
    if (word == QLatin1String("portrait"))
        return QPageLayout::Portrait;
    if (word == QLatin1String("landscape"))
        return QPageLayout::Landscape;
    return std::nullopt;
}

std::optional<QString> paper(const QString& word, const QStringList& papers)
{
    for (const QString& name : papers) {
        if (name.compare(word, Qt::CaseInsensitive) == 0)
            return name;
    }
    return std::nullopt;
}

std::optional<QMarginsF> margins(const QStringList& words, double maxMm)
{
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = words[i].toDouble(&ok);
        if (!ok || values[i] < 0 || values[i] > maxMm)
            return std::nullopt;
    }
    return QMarginsF(values[0], values[1], values[2], values[3]);
}

std::optional<int> rowWhere(const QString& answer, const RowQuestion& question)
{
    const qsizetype equals = answer.indexOf(kFieldValue);
    const std::optional<int> row = question.rowWhere(answer.left(equals), answer.mid(equals + 1));
    if (!row)
        throw Exception(QStringLiteral("A pesquisa \"%1\" não tem a linha %2.").arg(question.title, answer));
    return row;
}

} // namespace

std::optional<int> row(const QString& answer, const RowQuestion& question)
{
    if (answer == kCancel)
        return std::nullopt;
    if (answer.indexOf(kFieldValue) > 0)
        return rowWhere(answer, question);
    bool isNumber = false;
    const int row = answer.toInt(&isNumber);
    const qsizetype count = question.rows.cells.size();
    if (!isNumber || row < 1 || row > count)
        throw Exception(QStringLiteral("A pesquisa \"%1\" não tem a linha %2 (tem %3).")
                            .arg(question.title, answer)
                            .arg(count));
    return row - 1;
}

std::optional<QStringList> keys(const QString& answer, const KeysQuestion& question)
{
    if (answer == kCancel)
        return std::nullopt;
    if (answer == kNone)
        return QStringList();
    const QStringList words = answer.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QSet<QString> wanted(words.cbegin(), words.cend());
    QSet<QString> known;
    QStringList chosen;
    for (const QString& key : question.rows.keys) {
        known.insert(key.trimmed());
        if (wanted.contains(key.trimmed()))
            chosen.append(key);
    }
    for (const QString& key : words) {
        if (!known.contains(key))
            throw Exception(QStringLiteral("A lista \"%1\" não tem o código %2.").arg(question.title, key));
    }
    return chosen;
}

std::optional<PageChoice> page(const QString& answer, const PageQuestion& question)
{
    if (answer == kCancel)
        return std::nullopt;
    const QStringList words = answer.simplified().split(QLatin1Char(' '));
    const auto invalid = [&] {
        return Exception(QStringLiteral("Configuração de página inválida: '%1'").arg(answer));
    };
    if (words.size() != kPageWords)
        throw invalid();
    const auto chosenPaper = paper(words[0], question.papers);
    const auto chosenOrientation = orientation(words[1]);
    const auto chosenMargins = margins(words.mid(2), question.maxMarginMm);
    if (!chosenPaper || !chosenOrientation || !chosenMargins)
        throw invalid();
    return PageChoice{*chosenPaper, *chosenOrientation, *chosenMargins};
}

bool confirmed(const QString& answer, const QString& question)
{
    if (answer == kYes)
        return true;
    if (answer == kNo || answer == kCancel)
        return false;
    throw Exception(
        QStringLiteral("A pergunta \"%1\" se responde com yes ou no, não com '%2'.").arg(question, answer));
}

EditAnswer edit(const QString& answer, const EditQuestion& question)
{
    if (answer == kSave)
        return EditAnswer::Save;
    if (answer == kPreview)
        return EditAnswer::TryOut;
    if (answer == kCancel)
        return EditAnswer::Cancel;
    throw Exception(QStringLiteral("A janela \"%1\" se responde com save, preview ou cancel, não com '%2'.")
                        .arg(question.title, answer));
}

std::optional<QString> text(const QString& answer)
{
    if (answer == kCancel)
        return std::nullopt;
    return answer;
}

} // namespace Kav::ScriptedAnswers
