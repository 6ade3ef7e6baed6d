#include "PageSetupDialog.h"

#include "DialogService.h"
#include "KavException.h"
#include "LayoutReader.h"
#include "LayoutWriter.h"

#include <QComboBox>
#include <QDebug>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Qr {

namespace {

constexpr double kMaxMarginMm = 50.0;
constexpr int kAnswerFields = 6; // paper, orientation, four margins
const char* const kMarginLabels[] = {"Margem esquerda (mm)", "Margem superior (mm)", "Margem direita (mm)",
                                     "Margem inferior (mm)"};

QMarginsF marginsOf(const double values[4])
{
    return {values[0], values[1], values[2], values[3]};
}

} // namespace

PageSetupDialog::PageSetupDialog(const PageSetup& setup, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Configurar página"));
    auto* form = new QFormLayout(this);
    m_paper = new QComboBox(this);
    m_paper->addItems(PageSetup::paperNames());
    m_paper->setCurrentText(PageSetup::paperName(setup.paper));
    form->addRow(QStringLiteral("Papel"), m_paper);
    m_orientation = new QComboBox(this);
    m_orientation->addItem(QStringLiteral("Retrato"), int(QPageLayout::Portrait));
    m_orientation->addItem(QStringLiteral("Paisagem"), int(QPageLayout::Landscape));
    m_orientation->setCurrentIndex(setup.orientation == QPageLayout::Landscape ? 1 : 0);
    form->addRow(QStringLiteral("Orientação"), m_orientation);
    const double values[4] = {setup.margins.left(), setup.margins.top(), setup.margins.right(),
                              setup.margins.bottom()};
    for (int i = 0; i < 4; ++i) {
        m_margins[i] = new QDoubleSpinBox(this);
        m_margins[i]->setRange(0, kMaxMarginMm);
        m_margins[i]->setDecimals(1);
        m_margins[i]->setValue(values[i]);
        form->addRow(QString::fromUtf8(kMarginLabels[i]), m_margins[i]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

PageSetup PageSetupDialog::pageSetup() const
{
    PageSetup setup;
    setup.paper = PageSetup::paperFromName(m_paper->currentText());
    setup.orientation = QPageLayout::Orientation(m_orientation->currentData().toInt());
    double values[4];
    for (int i = 0; i < 4; ++i)
        values[i] = m_margins[i]->value();
    setup.margins = marginsOf(values);
    return setup;
}

PageSetup PageSetupDialog::parseAnswer(const QString& answer, const PageSetup& current)
{
    const QStringList fields = answer.simplified().split(QLatin1Char(' '));
    const auto invalid = [&] {
        return Kav::Exception(QStringLiteral("Configuração de página inválida: '%1'").arg(answer));
    };
    if (fields.size() != kAnswerFields)
        throw invalid();
    PageSetup setup = current;
    setup.paper = PageSetup::paperFromName(fields[0]);
    if (setup.paper == QPageSize::Custom)
        throw invalid();
    if (fields[1] == QLatin1String("landscape"))
        setup.orientation = QPageLayout::Landscape;
    else if (fields[1] == QLatin1String("portrait"))
        setup.orientation = QPageLayout::Portrait;
    else
        throw invalid();
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = fields[2 + i].toDouble(&ok);
        if (!ok || values[i] < 0 || values[i] > kMaxMarginMm)
            throw invalid();
    }
    setup.margins = marginsOf(values);
    return setup;
}

std::optional<PageSetup> PageSetupDialog::ask(Kav::DialogService& dialogs, const PageSetup& current,
                                              QWidget* parent)
{
    PageSetupDialog dialog(current, parent);
    if (const auto answer = dialogs.takeAnswer(Kav::DialogKind::Question, dialog.windowTitle())) {
        if (*answer == QLatin1String("cancel"))
            return std::nullopt;
        return parseAnswer(*answer, current);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.pageSetup();
}

namespace {

QString orientationName(QPageLayout::Orientation orientation)
{
    return orientation == QPageLayout::Landscape ? QStringLiteral("paisagem") : QStringLiteral("retrato");
}

QString doesNotFit(const PageSetup& setup)
{
    return QStringLiteral(
               "Este relatório não cabe na página %1 em %2 com estas margens: seus elementos passam da "
               "largura ou da altura do papel. Escolha %3, um papel maior ou margens menores.")
        .arg(PageSetup::paperName(setup.paper), orientationName(setup.orientation),
             orientationName(setup.orientation == QPageLayout::Landscape ? QPageLayout::Portrait
                                                                         : QPageLayout::Landscape));
}

} // namespace

std::optional<ReportLayout> PageSetupDialog::askFor(Kav::DialogService& dialogs, const ReportLayout& layout,
                                                    const QString& fileName, QWidget* parent)
{
    PageSetup current = layout.page;
    for (;;) {
        const std::optional<PageSetup> setup = ask(dialogs, current, parent);
        if (!setup)
            return std::nullopt;
        ReportLayout candidate = layout;
        candidate.page = *setup;
        try {
            // The bands must still fit the new page: read back as any layout file is.
            return LayoutReader::read(LayoutWriter::write(candidate), fileName);
        } catch (const Kav::Exception& error) { // the reader names the file and line: for the log
            qWarning().noquote() << "page setup refused:" << error.message();
            dialogs.refuseAnswer(doesNotFit(*setup));
            current = *setup;
        }
    }
}

} // namespace Qr
