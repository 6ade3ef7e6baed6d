#include "TReportDesignerDialog.h"

#include "BackgroundLayout.h"
#include "ClientContext.h"
#include "DialogService.h"
#include "Events.h"
#include "KavException.h"
#include "LayoutError.h"
#include "LayoutReader.h"
#include "LayoutWriter.h"
#include "PageSetupDialog.h"
#include "PreviewRenderer.h"
#include "PrinterRenderer.h"
#include "ReportCancelled.h"
#include "ReportCatalog.h"
#include "ReportEditorDialog.h"
#include "ReportOutputs.h"
#include "ReportRun.h"
#include "SqlDialect.h"
#include "SystemFailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QWidget>

using namespace Qr;

namespace {

const QString kEditTitle = QStringLiteral("Editar relatório");
// A new layout starts with its title, centred in a band of its own.
constexpr double kNewTitleBandMm = 10;
constexpr double kNewTitleHeightMm = 8;
constexpr double kNewTitleFontSize = 12;

// The query a new layout starts with: one row, in the connected engine's dialect.
QString newLayoutQuery(const QSqlDatabase& db)
{
    const QString query = QStringLiteral("SELECT 1 AS LINHA");
    if (!db.isValid() || !db.isOpen())
        return query;
    switch (Kav::dialectForDriver(db.driverName())) {
    case Kav::SqlDialect::InterBase:
        return query + QStringLiteral(" FROM RDB$DATABASE");
    case Kav::SqlDialect::Oracle:
        return query + QStringLiteral(" FROM DUAL");
    default:
        return query;
    }
}

// Runs a command through the handler dispatcher: called from a form's handler its faults pass
// on to that handler; called on its own they are shown and the command reports nothing done.
// The user's cancel (of a query, the layout or a file) is no fault: the command produced nothing,
// and the form goes on to what follows (deleting the prepared data).
bool command(const std::function<bool()>& body)
{
    bool done = false;
    Kav::runHandler([&] {
        try {
            done = body();
        } catch (const ReportCancelled&) {
            done = false;
        }
    });
    return done;
}

} // namespace

TReportDesignerDialog::TReportDesignerDialog(Kav::ClientContext& context, QObject* parent)
    : QObject(parent), m_context(context)
{}

TReportDesignerDialog::~TReportDesignerDialog() = default;

void TReportDesignerDialog::LoadFromFile(const QString& fileName)
{
    try {
        setLayout(LayoutReader::readFile(fileName), fileName);
    } catch (const Kav::LayoutError& fault) {
        // The file and line are for whoever repairs the file; the user is told what to do.
        Kav::failWithDetail(layoutFaultMessage(fileName, fault.text()), fault.message());
    }
}

QString TReportDesignerDialog::layoutFaultMessage(const QString& fileName, const QString& fault) const
{
    const QFileInfo file(fileName);
    const QString message =
        QStringLiteral("O relatório %1 tem um erro e não pode ser usado: %2.").arg(file.fileName(), fault);
    const bool usersCopy =
        !UserReportsDir().isEmpty() && file.absolutePath() == QFileInfo(UserReportsDir()).absoluteFilePath();
    return usersCopy ? message + QStringLiteral(" Apague a cópia %1 para voltar a usar o relatório padrão.")
                                     .arg(QDir::toNativeSeparators(file.absoluteFilePath()))
                     : message + QStringLiteral(" Avise o suporte do sistema.");
}

void TReportDesignerDialog::setLayout(const ReportLayout& layout, const QString& fileName)
{
    m_layout = layout;
    m_fileName = fileName;
    m_params = layout.createParams();
}

const ReportLayout& TReportDesignerDialog::Layout() const
{
    if (!m_layout)
        throw Kav::Exception(QStringLiteral("Nenhum relatório foi carregado."));
    return *m_layout;
}

QWidget* TReportDesignerDialog::parentWidget() const
{
    return m_parentWidget ? m_parentWidget : qobject_cast<QWidget*>(parent());
}

QString TReportDesignerDialog::UserReportsDir() const
{
    return m_userReportsDir.isEmpty() ? m_context.session().userReportsDir : m_userReportsDir;
}

QSqlDatabase TReportDesignerDialog::database() const
{
    if (m_connectionName.isEmpty())
        return m_context.database().database();
    const QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.isValid())
        throw Kav::Exception(
            QStringLiteral("Conexão de banco de dados desconhecida: %1").arg(m_connectionName));
    return db;
}

TReportDesignerDialog::Progress TReportDesignerDialog::progressFor(const QString& title)
{
    if (m_progress)
        return m_progress;
    return m_context.dialogs().progress(parentWidget(), title);
}

std::optional<TParams> TReportDesignerDialog::askParams()
{
    TParams params = Layout().createParams();
    bool cancel = false;
    Kav::fireEvent(this, "OnBeforeGetQueryParams", Q_ARG(TParams&, params), Q_ARG(bool&, cancel));
    m_params = params;
    if (cancel)
        return std::nullopt;
    return params;
}

std::optional<ReportRun> TReportDesignerDialog::startRun(Progress& progress)
{
    const std::optional<TParams> params = askParams();
    if (!params)
        return std::nullopt;
    ReportRun run(database(), Layout(), *params, m_clock.isValid() ? m_clock : QDateTime::currentDateTime());
    // Told before anything is read: a stored layout with fewer columns than values chosen.
    if (const std::optional<UnprintedValues> unprinted = run.unprinted();
        unprinted && !m_context.dialogs().askQuestion(unprintedQuestion(*unprinted)))
        return std::nullopt;
    progress = progressFor(Layout().title);
    run.setProgress(progress);
    return run;
}

QString TReportDesignerDialog::unprintedQuestion(const UnprintedValues& unprinted) const
{
    return QStringLiteral("O relatório \"%1\" tem colunas para %2 nutrientes e foram escolhidos %3: "
                          "os %4 últimos não serão impressos. Para imprimir todos, restaure o "
                          "relatório padrão no editor do relatório.\n\nImprimir assim mesmo?")
        .arg(Layout().title)
        .arg(unprinted.printed)
        .arg(unprinted.bound)
        .arg(unprinted.bound - unprinted.printed);
}

std::optional<ReportSnapshot> TReportDesignerDialog::ReadData()
{
    Progress progress; // its window closes on return, before a preview opens
    const std::optional<ReportRun> run = startRun(progress);
    if (!run)
        return std::nullopt;
    return run->read();
}

std::shared_ptr<const PageModel> TReportDesignerDialog::Prepare()
{
    Progress progress;
    const std::optional<ReportRun> run = startRun(progress);
    if (!run)
        return nullptr;
    return std::make_shared<const PageModel>(run->pages());
}

bool TReportDesignerDialog::showInWindow(ReportRenderer& renderer, const PageModel& model)
{
    RenderTarget target;
    target.parent = parentWidget();
    const Progress progress = progressFor(model.title);
    target.progress = [&](int done, int total) { return progress(ReportRun::WritingStep, done, total); };
    target.print = [this, &model] { command([&] { return printModel(model); }); };
    return renderer.render(model, target);
}

bool TReportDesignerDialog::printModel(const PageModel& model)
{
    PrinterRenderer printer;
    if (!showInWindow(printer, model))
        return false;
    Kav::fireEvent(this, "OnQRPAfterPrint", Q_ARG(QObject*, this));
    return true;
}

bool TReportDesignerDialog::Print()
{
    return command([this] {
        const auto model = Prepare();
        return model && printModel(*model);
    });
}

bool TReportDesignerDialog::Preview()
{
    return command([this] {
        std::optional<ReportSnapshot> snapshot = ReadData();
        if (!snapshot)
            return false;
        // Page 1 shows as soon as it is laid out; printing from the preview takes the whole report.
        BackgroundLayout layout(std::move(*snapshot));
        RenderTarget target;
        target.parent = parentWidget();
        target.print = [this, &layout] { command([&] { return printModel(layout.result()); }); };
        PreviewRenderer().renderWhileLayingOut(layout, target);
        Kav::fireEvent(this, "OnQRPAfterPreview", Q_ARG(QObject*, this));
        return true;
    });
}

bool TReportDesignerDialog::SaveToFile(const QString& fileName, const QString& renderer)
{
    return command([&] {
        const QString name = renderer.isEmpty() ? ReportOutputs::nameForFile(fileName) : renderer;
        if (name.isEmpty())
            throw Kav::Exception(
                QStringLiteral("Tipo de arquivo não reconhecido: %1 (use PDF, XLSX, TXT, CSV ou HTML).")
                    .arg(fileName));
        ReportOutputs::byName(name); // an unknown output is told before the user is asked anything
        Progress progress;
        const std::optional<ReportRun> run = startRun(progress);
        if (!run)
            return false;
        run->save(fileName, name);
        return true;
    });
}

bool TReportDesignerDialog::SaveAs(const QString& suggestedName)
{
    return command([this, suggestedName] {
        // The dialog settles the ending by the type chosen (PDF first), so the file is known.
        const QString fileName = m_context.dialogs().saveFileName(
            parentWidget(), QStringLiteral("Salvar como"), suggestedName, ReportOutputs::saveFilter());
        if (fileName.isEmpty() || !SaveToFile(fileName))
            return false;
        m_savedFileName = fileName;
        return true;
    });
}

bool TReportDesignerDialog::SaveAsText()
{
    return command([this] {
        const QString fileName = m_context.dialogs().saveFileName(
            parentWidget(), QStringLiteral("Salvar como texto"), QString(), QStringLiteral("Texto (*.txt)"));
        if (fileName.isEmpty() || !SaveToFile(fileName, QStringLiteral("text")))
            return false;
        m_savedFileName = fileName;
        return true;
    });
}

QString TReportDesignerDialog::saveToUserFolder(const ReportLayout& layout, const QString& fileName)
{
    const QString folder = UserReportsDir();
    if (folder.isEmpty())
        throw Kav::Exception(QStringLiteral("A pasta de relatórios do usuário não está configurada."));
    if (!QDir().mkpath(folder))
        throw Kav::Exception(QStringLiteral("Não foi possível criar a pasta %1.").arg(folder));
    const QString path = QDir(folder).filePath(QFileInfo(fileName).fileName());
    LayoutWriter::writeFile(layout, path);
    return path;
}

bool TReportDesignerDialog::Edit()
{
    return command([this] {
        const ReportLayout& current = Layout();
        ReportEditorDialog editor(m_context, current, m_fileName, parentWidget());
        bool previewed = false;
        editor.setTrialPreview([&](const ReportLayout& edited) {
            const ReportLayout kept = *m_layout;
            m_layout = edited;
            try {
                const auto model = Prepare();
                m_layout = kept;
                if (model) {
                    previewed = true;
                    PreviewRenderer preview;
                    showInWindow(preview, *model);
                }
            } catch (...) {
                m_layout = kept;
                throw;
            }
        });

        const bool accepted = m_context.dialogs().edit(
            {kEditTitle, [&] { return editor.exec() == QDialog::Accepted; }, [&] { editor.trialPreview(); }});
        // The prepared data stays while the editor is open; its trial previews count as one.
        if (previewed)
            Kav::fireEvent(this, "OnQRPAfterPreview", Q_ARG(QObject*, this));
        if (!accepted)
            return false;
        const ReportLayout edited = editor.editedLayout();
        if (const QString standard = editor.restoredStandardPath(); !standard.isEmpty()) {
            if (QFile::exists(m_fileName) && !QFile::remove(m_fileName))
                throw Kav::Exception(
                    QStringLiteral("Não foi possível apagar a cópia %1 do relatório.").arg(m_fileName));
            setLayout(edited, standard);
            return true;
        }
        setLayout(edited, saveToUserFolder(edited, m_fileName));
        return true;
    });
}

bool TReportDesignerDialog::NewReport(const QString& reportCode, const QString& caption,
                                      const QString& prompt)
{
    return command([&] {
        const std::optional<QString> title = m_context.dialogs().askText(parentWidget(), caption, prompt);
        if (!title)
            return false;
        const QStringList folders = {UserReportsDir(), m_context.session().reportsDir};
        const QString code = ReportCatalog::freeLayoutCode(folders, reportCode);
        if (code.isEmpty())
            throw Kav::Exception(
                QStringLiteral("Não há código livre para um novo relatório %1.").arg(reportCode));

        ReportLayout layout;
        layout.title = title->trimmed();
        QSqlDatabase db;
        try {
            db = database();
        } catch (const Kav::Exception&) {
            // Not connected yet: the plain dialect's query, to be written in the editor anyway.
        }
        layout.query = newLayoutQuery(db);
        ReportBand titleBand;
        titleBand.kind = BandKind::Title;
        titleBand.height = kNewTitleBandMm;
        ReportElement heading;
        heading.rect = QRectF(0, 0, layout.page.bodySizeMm().width(), kNewTitleHeightMm);
        heading.text = layout.title;
        heading.style.bold = true;
        heading.style.align = ElementStyle::Align::Center;
        heading.style.fontSize = kNewTitleFontSize;
        titleBand.elements.append(heading);
        layout.titleBand = titleBand;
        const auto previous = m_layout;
        const QString previousFile = m_fileName;
        setLayout(layout, ReportCatalog::fileName(reportCode, code));
        if (Edit())
            return true;
        m_layout = previous;
        m_fileName = previousFile;
        return false;
    });
}

bool TReportDesignerDialog::SetupPage()
{
    return command([this] {
        const auto checked =
            PageSetupDialog::askFor(m_context.dialogs(), Layout(), m_fileName, parentWidget());
        if (!checked)
            return false;
        setLayout(*checked, saveToUserFolder(*checked, m_fileName));
        return true;
    });
}
