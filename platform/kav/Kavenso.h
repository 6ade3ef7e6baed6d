#pragma once
// Session facts of the client (logged-in branch, application server, reports folder) and the
// branch-licence and code-picture services screens ask for.

#include <QString>
#include <QStringList>

class TDBPicture;

namespace Kavenso {

struct Session
{
    QString filial;         // logged-in branch code
    QString webUrl;         // application server host
    int webPort = 0;        // application server port
    QString reportsDir;     // folder of the report layouts
    QString userReportsDir; // where edited layouts are saved
};

// The current client context's session (Kav::ClientContext), set by the host once its
// configuration is read.
void SetSession(const Session& session);
const Session& CurrentSession();

QString FiliProc();
QString WebURL();
int WebPort();

// "M" for the head office, "F" for a branch licensed for the school-food module, otherwise
// five characters of code followed by the reason. Reads the local copy of FILIAL.
QString ModuFili(const QString& filial, bool checkLicence);

// Refreshes what the client keeps in memory of the named tables ("FILIAL", "PICTURE"; see
// LocalCache). Throws Kav::Exception for a table the client does not keep.
void AtualizaLocalCache(const QStringList& tables);

// Code pictures from the database (kind 1: dish code). Throws Kav::Exception for a kind PICTURE
// does not hold. The object belongs to the client's context and stays valid as long as it.
constexpr int kPictPrato = 1;
QString DBPict(int kind);
TDBPicture* DBPictObj(int kind);

} // namespace Kavenso
