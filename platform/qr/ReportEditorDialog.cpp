#include "ReportEditorDialog.h"

#include "ClientContext.h"
#include "DialogService.h"
#include "KavException.h"
#include "LayoutCommentReader.h"
#include "LayoutReader.h"
#include "LayoutWriter.h"
#include "SqlParameters.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace Qr {

namespace {

constexpr int kNameColumn = 0;
constexpr int kTypeColumn = 1;
constexpr QSize kInitialSize(900, 700);
const QString kBandsSource = QStringLiteral("Faixas");

const TFieldType kTypes[] = {TFieldType::ftUnknown, TFieldType::ftString, TFieldType::ftInteger,
                             TFieldType::ftFloat,   TFieldType::ftDate,   TFieldType::ftDateTime};

QPlainTextEdit* codeEditor(QWidget* parent, const QString& name)
{
    auto* editor = new QPlainTextEdit(parent);
    editor->setObjectName(name);
    editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    return editor;
}

} // namespace

ReportEditorDialog::ReportEditorDialog(Kav::ClientContext& context, const ReportLayout& layout,
                                       const QString& fileName, QWidget* parent)
    : QDialog(parent), m_context(context), m_original(layout), m_fileName(fileName)
{
    setObjectName(QStringLiteral("frmEditorRelatorio"));
    setWindowTitle(QStringLiteral("Editar relatório - %1").arg(QFileInfo(fileName).fileName()));

    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("edtTitulo"));
    m_query = codeEditor(this, QStringLiteral("mmoConsulta"));
    m_bands = codeEditor(this, QStringLiteral("mmoFaixas"));
    m_parameters = new QTableWidget(0, 2, this);
    m_parameters->setObjectName(QStringLiteral("grdParametros"));
    m_parameters->setHorizontalHeaderLabels({QStringLiteral("Parâmetro"), QStringLiteral("Tipo")});
    m_parameters->horizontalHeader()->setStretchLastSection(true);
    showLayout(layout);

    auto* parameterPage = new QWidget(this);
    auto* parameterButtons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Incluir"), parameterPage);
    auto* remove = new QPushButton(QStringLiteral("Excluir"), parameterPage);
    auto* fromQuery = new QPushButton(QStringLiteral("Declarar os da consulta"), parameterPage);
    parameterButtons->addWidget(add);
    parameterButtons->addWidget(remove);
    parameterButtons->addWidget(fromQuery);
    parameterButtons->addStretch();
    auto* parameterLayout = new QVBoxLayout(parameterPage);
    parameterLayout->addWidget(m_parameters);
    parameterLayout->addLayout(parameterButtons);

    auto* tabs = new QTabWidget(this);
    tabs->addTab(m_query, QStringLiteral("Consulta"));
    tabs->addTab(parameterPage, QStringLiteral("Parâmetros"));
    tabs->addTab(m_bands, QStringLiteral("Faixas"));

    auto* buttons = new QDialogButtonBox(this);
    auto* preview = buttons->addButton(QStringLiteral("Visualizar"), QDialogButtonBox::ActionRole);
    auto* restore = buttons->addButton(QStringLiteral("Restaurar padrão"), QDialogButtonBox::ResetRole);
    restore->setObjectName(QStringLiteral("btnRestaurarPadrao"));
    restore->setToolTip(QStringLiteral("Trazer de volta o relatório padrão no lugar desta cópia"));
    restore->setEnabled(!standardLayoutPath().isEmpty());
    buttons->addButton(QDialogButtonBox::Save);
    buttons->addButton(QDialogButtonBox::Cancel);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Título"), m_title);
    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->addLayout(form);
    layoutBox->addWidget(tabs);
    layoutBox->addWidget(buttons);
    resize(kInitialSize);

    connect(add, &QPushButton::clicked, this,
            [this] { addParameter(QStringLiteral("P_"), TFieldType::ftUnknown); });
    connect(remove, &QPushButton::clicked, this, &ReportEditorDialog::removeSelectedParameter);
    connect(fromQuery, &QPushButton::clicked, this, &ReportEditorDialog::declareQueryParameters);
    connect(preview, &QPushButton::clicked, this, &ReportEditorDialog::trialPreview);
    connect(restore, &QPushButton::clicked, this, &ReportEditorDialog::restoreStandard);
    connect(buttons, &QDialogButtonBox::accepted, this, &ReportEditorDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ReportEditorDialog::showLayout(const ReportLayout& layout)
{
    m_shown = layout;
    m_title->setText(layout.title);
    m_query->setPlainText(layout.query);
    m_bands->setPlainText(QString::fromUtf8(LayoutWriter::writeBands(layout)));
    m_parameters->setRowCount(0);
    for (const ParameterDeclaration& declaration : layout.parameters)
        addParameter(declaration.name, declaration.type);
}

QString ReportEditorDialog::standardLayoutPath() const
{
    const QString reportsDir = m_context.session().reportsDir;
    if (reportsDir.isEmpty())
        return {};
    const QFileInfo standard(QDir(reportsDir).filePath(QFileInfo(m_fileName).fileName()));
    const bool isACopy = standard.absoluteFilePath() != QFileInfo(m_fileName).absoluteFilePath();
    return isACopy && standard.isFile() ? standard.absoluteFilePath() : QString();
}

void ReportEditorDialog::restoreStandard()
{
    const QString path = standardLayoutPath();
    if (path.isEmpty() || !m_context.dialogs().askQuestion(QStringLiteral(
                              "Restaurar o relatório padrão? As mudanças desta cópia se perdem ao salvar.")))
        return;
    try {
        showLayout(LayoutReader::readFile(path));
        m_restoredFrom = path;
    } catch (const Kav::Exception& error) {
        m_context.dialogs().showError(error.message());
    }
}

bool ReportEditorDialog::differsFrom(const ReportLayout& layout) const
{
    return m_title->text() != layout.title || m_query->toPlainText() != layout.query ||
           m_bands->toPlainText() != QString::fromUtf8(LayoutWriter::writeBands(layout)) ||
           declaredParameters() != layout.parameters;
}

bool ReportEditorDialog::hasChanges() const
{
    return differsFrom(m_original);
}

QString ReportEditorDialog::restoredStandardPath() const
{
    return !m_restoredFrom.isEmpty() && !differsFrom(m_shown) ? m_restoredFrom : QString();
}

void ReportEditorDialog::reject()
{
    if (hasChanges() &&
        !m_context.dialogs().askQuestion(QStringLiteral("Descartar as alterações feitas no relatório?")))
        return;
    QDialog::reject();
}

void ReportEditorDialog::setTitleText(const QString& title)
{
    m_title->setText(title);
}

void ReportEditorDialog::setQueryText(const QString& query)
{
    m_query->setPlainText(query);
}

void ReportEditorDialog::setBandsText(const QString& bands)
{
    m_bands->setPlainText(bands);
}

QString ReportEditorDialog::bandsText() const
{
    return m_bands->toPlainText();
}

void ReportEditorDialog::addParameter(const QString& name, TFieldType type)
{
    const int row = m_parameters->rowCount();
    m_parameters->insertRow(row);
    m_parameters->setItem(row, kNameColumn, new QTableWidgetItem(name));
    auto* types = new QComboBox(m_parameters);
    for (TFieldType candidate : kTypes)
        types->addItem(fieldTypeName(candidate), int(candidate));
    types->setCurrentIndex(types->findData(int(type)));
    m_parameters->setCellWidget(row, kTypeColumn, types);
}

void ReportEditorDialog::removeSelectedParameter()
{
    const int row = m_parameters->currentRow();
    if (row >= 0)
        m_parameters->removeRow(row);
}

QList<ParameterDeclaration> ReportEditorDialog::declaredParameters() const
{
    QList<ParameterDeclaration> declarations;
    for (int row = 0; row < m_parameters->rowCount(); ++row) {
        const auto* types = qobject_cast<QComboBox*>(m_parameters->cellWidget(row, kTypeColumn));
        declarations.append({m_parameters->item(row, kNameColumn)->text().trimmed(),
                             TFieldType(types->currentData().toInt())});
    }
    return declarations;
}

int ReportEditorDialog::declareQueryParameters()
{
    const QList<ParameterDeclaration> declared = declaredParameters();
    int added = 0;
    for (const QString& name : SqlParameters::names(m_query->toPlainText())) {
        const bool known =
            std::any_of(declared.cbegin(), declared.cend(), [&](const ParameterDeclaration& d) {
                return d.name.compare(name, Qt::CaseInsensitive) == 0;
            });
        if (!known) {
            addParameter(name, TFieldType::ftUnknown);
            ++added;
        }
    }
    return added;
}

ReportLayout ReportEditorDialog::editedLayout() const
{
    ReportLayout head = m_shown;
    head.title = m_title->text();
    head.query = m_query->toPlainText();
    head.parameters = declaredParameters();
    head.titleBand.reset();
    head.pageHeader.reset();
    head.columnHeader.reset();
    head.detail.reset();
    head.summary.reset();
    head.pageFooter.reset();
    head.groups.clear();
    head.lists.clear();
    // The comments among the bands are in the bands' text.
    head.comments.removeIf(&LayoutCommentReader::standsInBands);

    // The head is written without being checked; the reader checks the whole.
    QByteArray xml = LayoutWriter::write(head);
    const qsizetype end = xml.lastIndexOf("</report>");
    const qsizetype headLines = xml.left(end).count('\n');
    xml.insert(end, m_bands->toPlainText().toUtf8() + '\n');
    try {
        return LayoutReader::read(xml, m_fileName);
    } catch (const Kav::Exception& error) {
        // Lines inside the bands text are told as lines of that text.
        static const QRegularExpression located(QStringLiteral("^(.*):(\\d+): (.*)$"),
                                                QRegularExpression::DotMatchesEverythingOption);
        const auto match = located.match(error.message());
        if (match.hasMatch() && match.captured(2).toLongLong() > headLines)
            throw Kav::Exception(QStringLiteral("%1, linha %2: %3")
                                     .arg(kBandsSource)
                                     .arg(match.captured(2).toLongLong() - headLines)
                                     .arg(match.captured(3)));
        if (match.hasMatch())
            throw Kav::Exception(match.captured(3));
        throw;
    }
}

void ReportEditorDialog::save()
{
    try {
        editedLayout();
        accept();
    } catch (const Kav::Exception& error) {
        m_context.dialogs().showError(error.message());
    }
}

void ReportEditorDialog::trialPreview()
{
    if (!m_trialPreview)
        return;
    try {
        m_trialPreview(editedLayout());
    } catch (const Kav::SilentAbort&) {
        // Already shown, or cancelled by the user.
    } catch (const Kav::Exception& error) {
        m_context.dialogs().showError(error.message());
    }
}

} // namespace Qr
