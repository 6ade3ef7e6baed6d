#pragma once
// What a name typed in a save dialog becomes before anything is written: the ending the chosen
// file type asks for, settled while the dialog is still open (so that the question "replace the
// existing file?" is asked about the file that will really be written), and names that cannot be
// a file (empty, wildcards) refused in the user's words.

#include <QString>
#include <QStringList>

namespace Kav {

class SaveFileName
{
public:
    // The endings a Qt name filter offers, in order: "Texto (*.txt *.text)" gives txt, text.
    static QStringList endingsOf(const QString& nameFilter);

    // Empty when `path` may be saved; otherwise why not, to show the user.
    static QString refusal(const QString& path);

    // `path` as it will be written: kept when it already ends as one of the filters offers,
    // otherwise with the chosen filter's first ending added ("nutr26.marco" saved as PDF is
    // "nutr26.marco.pdf"). A filter without endings ("Todos (*)") keeps the name as typed.
    static QString settled(const QString& path, const QStringList& nameFilters, const QString& chosenFilter);
};

} // namespace Kav
