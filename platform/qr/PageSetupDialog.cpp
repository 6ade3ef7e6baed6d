#include "PageSetupDialog.h"

#include "DialogService.h"
#include "KavException.h"
#include "LayoutReader.h"
#include "LayoutWriter.h"
#include "WindowTitleRoom.h"

#include <QComboBox>
#include <QDebug>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace Qr {

namespace {

constexpr double kMaxMarginMm = 50.0;
const QString kTitle = QStringLiteral("Configurar página");
const char* const kMarginLabels[] = {"Margem esquerda (mm)", "Margem superior (mm)", "Margem direita (mm)",
                                     "Margem inferior (mm)"};

QMarginsF marginsOf(const double values[4])
{
    return {values[0], values[1], values[2], values[3]};
}

Kav::PageChoice choiceOf(const PageSetup& setup)
{
    return {PageSetup::paperName(setup.paper), setup.orientation, setup.margins};
}

PageSetup setupOf(const Kav::PageChoice& choice)
{
    PageSetup setup;
    setup.paper = PageSetup::paperFromName(choice.paper);
    setup.orientation = choice.orientation;
    setup.margins = choice.marginsMm;
    return setup;
}

} // namespace

PageSetupDialog::PageSetupDialog(const PageSetup& setup, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(kTitle);
    Kav::WindowTitleRoom::keepTitleWhole(*this);
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

std::optional<PageSetup> PageSetupDialog::ask(Kav::DialogService& dialogs, const PageSetup& current,
                                              QWidget* parent)
{
    Kav::PageQuestion question;
    question.title = kTitle;
    question.papers = PageSetup::paperNames();
    question.maxMarginMm = kMaxMarginMm;
    question.askPerson = [&]() -> std::optional<Kav::PageChoice> {
        PageSetupDialog dialog(current, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return choiceOf(dialog.pageSetup());
    };
    const std::optional<Kav::PageChoice> choice = dialogs.choosePage(question);
    if (!choice)
        return std::nullopt;
    return setupOf(*choice);
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
