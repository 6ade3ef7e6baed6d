// The host speaks Brazilian Portuguese in Qt's own dialogs and in the numbers it shows.
#include "HostLanguage.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QPushButton>
#include <QtTest>

using namespace Kav::Host;

class TstHostLanguage : public QObject
{
    Q_OBJECT

private slots:
    void qtTextsAndNumbersAreBrazilianPortuguese()
    {
        // CI installs qt6-translations-l10n (scripts/install-deps): its absence is a failure there.
        QVERIFY2(HostLanguage::install(*qApp),
                 qPrintable(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + " has no qtbase_pt_BR.qm"));
        QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancelar"));
        QCOMPARE(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("Salvar"));
        QCOMPARE(QLocale().toString(10.0, 'f', 1), QStringLiteral("10,0"));
        QCOMPARE(QLocale().toString(QDate(2025, 3, 1), QLocale::ShortFormat), QStringLiteral("01/03/2025"));
    }
};

QTEST_MAIN(TstHostLanguage)
#include "tst_hostlanguage.moc"
