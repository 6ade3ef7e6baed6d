#include "TfrmDadosGerRel.h"

#include "ClientContext.h"
#include "Consiste.h"
#include "ControlEvents.h"
#include "Events.h"
#include "FormClasses.h"
#include "Kavenso.h"
#include "KavException.h"
#include "LayoutLoader.h"
#include "LeaveEvents.h"
#include "ReportCatalog.h"
#include "TabOrderChain.h"
#include "TBevel.h"
#include "TComboBox.h"
#include "TGroupBox.h"
#include "TLabel.h"
#include "TMenuItem.h"
#include "TMessages.h"
#include "TPanel.h"
#include "TPopupMenu.h"
#include "TReportDesignerDialog.h"
#include "TSaveDialog.h"
#include "TSpeedButton.h"

#include <exception>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QStatusBar>

namespace {

const QString kBaseLayout = QStringLiteral(":/frm/TfrmDadosGerRel.kfm");
constexpr int kReportCodeLength = 6;
// How long a confirmation stays in the status bar.
constexpr int kConfirmationMs = 10000;
const QChar kEscape = QChar(27);
// An MDI window's title bar as Qt makes it by default: caption, system menu and the three buttons.
constexpr Qt::WindowFlags kMdiWindowFlags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                            Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

// Runs `work` as a handler run: handlers it fires pass their errors to it, and its own error
// reaches the caller instead of the error display.
void runPassingErrors(const std::function<void()>& work)
{
    std::exception_ptr failure;
    Kav::runHandler([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
}

QObject* layoutComponentOf(QWidget* focused, const QWidget* form)
{
    for (QObject* o = focused; o && o != form; o = o->parent()) {
        if (o->property(Kav::LayoutLoader::layoutClassProperty).isValid())
            return o;
    }
    return nullptr;
}

} // namespace

TfrmDadosGerRel::TfrmDadosGerRel(Kav::ClientContext& context, QWidget* parent)
    : QWidget(parent), m_context(context)
{}

TfrmDadosGerRel::~TfrmDadosGerRel() = default;

QStringList TfrmDadosGerRel::layoutFiles() const
{
    return {kBaseLayout};
}

void TfrmDadosGerRel::bindComponents()
{
    setupBindings(*this);
}

void TfrmDadosGerRel::create()
{
    // Created, closed and activated as a command of its own client, whichever is current.
    const Kav::ClientCoreContext::Activation running(m_context);
    Frm::registerAllClasses();
    Kav::LayoutLoader loader(this, m_context);
    for (const QString& file : layoutFiles())
        loader.apply(file);
    bindComponents();
    if (m_borderStyle != bsSizeable && m_borderStyle != bsSizeToolWin)
        setFixedSize(size());
    rpddPadrao->setParentWidget(this);
    new Frm::LeaveEvents(this, [this] { return m_closing || m_closed; });
    qApp->installEventFilter(this);
    runPassingErrors([this] {
        QObject* sender = this;
        Kav::fireEvent(this, "OnCreate", Q_ARG(QObject*, sender));
    });
}

void TfrmDadosGerRel::showCreated()
{
    const QPoint place(property("Left").toInt(), property("Top").toInt());
    QMdiArea* const mdiArea = m_context.mdiArea();
    if (m_formStyle == fsMDIChild && mdiArea)
        placeInMdiArea(*mdiArea, place);
    else
        move(place);
    if (m_visibleOnCreation)
        Show();
}

// The designed place, moved up and left as far as needed for the whole window to be seen in an
// area too small for it there (a 1024 x 600 screen); where even that is not enough, the area
// scrolls.
QPoint TfrmDadosGerRel::withinView(const QPoint& place, const QSize& window, const QSize& view)
{
    const auto fit = [](int at, int length, int room) { return std::max(0, std::min(at, room - length)); };
    return {fit(place.x(), window.width(), view.width()), fit(place.y(), window.height(), view.height())};
}

void TfrmDadosGerRel::placeInMdiArea(QMdiArea& area, const QPoint& place)
{
    // Qt lays out an MDI window's title bar again at every step of making and placing it, eliding
    // the caption each time: the window is made with its final flags, and given the caption once
    // it stands where it opens, before it is shown.
    const QString caption = windowTitle();
    setWindowTitle(QString());
    Qt::WindowFlags flags = kMdiWindowFlags;
    if (m_borderStyle != bsSizeable)
        flags &= ~Qt::WindowMaximizeButtonHint;
    m_subWindow = area.addSubWindow(this, flags);
    m_subWindow->resize(m_subWindow->minimumSizeHint());
    m_subWindow->move(withinView(place, m_subWindow->size(), area.viewport()->size()));
    setWindowTitle(caption);
    connect(m_subWindow, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates before, Qt::WindowStates now) {
                if (now.testFlag(Qt::WindowActive) && !before.testFlag(Qt::WindowActive))
                    activated();
            });
}

void TfrmDadosGerRel::Show()
{
    if (m_subWindow) {
        m_subWindow->show();
        m_subWindow->raise();
        if (QMdiArea* area = m_subWindow->mdiArea())
            area->setActiveSubWindow(m_subWindow);
        return;
    }
    show();
    activateWindow();
}

void TfrmDadosGerRel::ShowNormal()
{
    if (m_subWindow)
        m_subWindow->showNormal();
    else
        showNormal();
}

void TfrmDadosGerRel::setClientWidth(int width)
{
    resize(width, height());
}

void TfrmDadosGerRel::setClientHeight(int height)
{
    resize(width(), height);
}

void TfrmDadosGerRel::setBorderStyle(TFormBorderStyle style)
{
    m_borderStyle = style;
}

// ---- closing

TCloseAction TfrmDadosGerRel::queryClose()
{
    // The defaults a form closes with when its handler says nothing.
    TCloseAction action = m_formStyle == fsMDIChild ? caMinimize : caHide;
    bool decided = false;
    const Kav::ClientCoreContext::Activation running(m_context);
    Kav::runHandler([&] {
        QObject* sender = this;
        Kav::fireEvent(this, "OnClose", Q_ARG(QObject*, sender), Q_ARG(TCloseAction&, action));
        decided = true;
    });
    // A handler that failed keeps the form open.
    return decided ? action : caNone;
}

void TfrmDadosGerRel::applyCloseAction(TCloseAction action)
{
    QWidget* window = m_subWindow ? static_cast<QWidget*>(m_subWindow) : this;
    switch (action) {
    case caNone:
        return;
    case caHide:
        window->hide();
        return;
    case caMinimize:
        window->showMinimized();
        return;
    case caFree:
        m_closed = true;
        m_closeDecided = true;
        window->close();
        deleteLater();
        return;
    }
}

void TfrmDadosGerRel::Close()
{
    if (m_closed)
        return;
    const QScopedValueRollback closing(m_closing, true);
    applyCloseAction(queryClose());
}

void TfrmDadosGerRel::closeEvent(QCloseEvent* event)
{
    if (m_closeDecided) {
        event->accept();
        return;
    }
    event->ignore();
    const QScopedValueRollback closing(m_closing, true);
    const TCloseAction action = queryClose();
    if (action != caFree) {
        applyCloseAction(action);
        return;
    }
    // Closing already: the window goes as this event ends, and the MDI window holding the form
    // with it when the form itself was closed.
    m_closed = true;
    m_closeDecided = true;
    event->accept();
    if (m_subWindow)
        m_subWindow->deleteLater();
    deleteLater();
}

// ---- activation and keys

bool TfrmDadosGerRel::event(QEvent* event)
{
    // A form in the MDI area is activated with its MDI window (showCreated); the activation of
    // the main window reaches it too, and is not its own.
    if (event->type() == QEvent::WindowActivate && isWindow())
        activated();
    return QWidget::event(event);
}

void TfrmDadosGerRel::activated()
{
    if (m_closed)
        return;
    const Kav::ClientCoreContext::Activation running(m_context);
    QObject* sender = this;
    Kav::runFromQt([&] { Kav::fireEvent(this, "OnActivate", Q_ARG(QObject*, sender)); });
}

bool TfrmDadosGerRel::focusNextPrevChild(bool next)
{
    QWidget* target = Frm::nextTabStop(this, QApplication::focusWidget(), next);
    if (!target)
        return QWidget::focusNextPrevChild(next);
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool TfrmDadosGerRel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* focused = qobject_cast<QWidget*>(watched);
    // The first delivery only, to a control of this form: the same event reaching the parents
    // of the focused control is not a key of theirs.
    if (!focused || focused != QApplication::focusWidget() || !(focused == this || isAncestorOf(focused)))
        return false;
    return previewKey(focused, static_cast<QKeyEvent*>(event));
}

bool TfrmDadosGerRel::previewKey(QWidget* focused, QKeyEvent* event)
{
    QPointer<QObject> control = layoutComponentOf(focused, this);
    if (m_keyPreview && Kav::fireKeyDown(this, this, event))
        return true;
    if (control && Kav::fireKeyDown(control, control, event))
        return true;
    if (m_keyPreview && Kav::fireKeyPress(this, this, event))
        return true;
    return control && Kav::fireKeyPress(control, control, event);
}

TSpeedButton* TfrmDadosGerRel::commandButtonForKey(quint16 key) const
{
    switch (key) {
    case 'E':
        return sbtReportEdit;
    case 'F':
        return sbtPageSetup;
    case 'I':
        return sbtPrint;
    case 'P':
        return sbtPreview;
    case 'S':
        return sbtSalvarComo;
    default:
        return nullptr;
    }
}

void TfrmDadosGerRel::pressCommandShortcut(quint16& Key, Qt::KeyboardModifiers Shift)
{
    if (!Shift.testFlag(Qt::ControlModifier))
        return;
    TSpeedButton* button = commandButtonForKey(Key);
    if (!button)
        return;
    Key = 0;
    if (button->isEnabled())
        button->Click();
}

void TfrmDadosGerRel::pressEscape(QChar& Key)
{
    if (Key != kEscape)
        return;
    sbtSair->Click();
    Key = QChar();
}

// ---- report layouts

QString TfrmDadosGerRel::reportCode() const
{
    return lblCodRel ? lblCodRel->text().left(kReportCodeLength) : QString();
}

QString TfrmDadosGerRel::chosenLayoutCode() const
{
    return cbbReportNames ? m_layoutCodes.value(cbbReportNames->currentIndex()) : QString();
}

QString TfrmDadosGerRel::chosenLayoutFileName() const
{
    return reportCode() + chosenLayoutCode() + Qr::ReportCatalog::Extension;
}

bool TfrmDadosGerRel::isChosenLayout(const QString& code) const
{
    return chosenLayoutFileName() == reportCode() + code + Qr::ReportCatalog::Extension;
}

QStringList TfrmDadosGerRel::reportFolders() const
{
    const Kavenso::Session& session = m_context.session();
    QStringList folders;
    if (!session.userReportsDir.isEmpty())
        folders << session.userReportsDir;
    if (!session.reportsDir.isEmpty())
        folders << session.reportsDir;
    return folders;
}

void TfrmDadosGerRel::refreshReportList()
{
    setReportList(Qr::ReportCatalog::list(reportFolders(), reportCode()));
}

void TfrmDadosGerRel::setReportList(const QList<Qr::ReportEntry>& entries)
{
    const QString chosen = chosenLayoutCode();
    QStringList titles;
    m_layoutCodes.clear();
    for (const Qr::ReportEntry& entry : entries) {
        titles << entry.title;
        m_layoutCodes << entry.layoutCode;
    }
    cbbReportNames->setItems(titles);
    if (!m_layoutCodes.isEmpty())
        cbbReportNames->setCurrentIndex(qMax(0, int(m_layoutCodes.indexOf(chosen))));
}

void TfrmDadosGerRel::loadChosenLayout()
{
    const QString code = chosenLayoutCode();
    const QString path =
        code.isEmpty() ? QString() : Qr::ReportCatalog::find(reportFolders(), reportCode(), code);
    if (path.isEmpty())
        Consiste::MensErro(TMessages::Format(msgPadrao->Msg(QStringLiteral("Arq_Rel_Err")),
                                             {reportCode() + code, m_context.session().reportsDir}),
                           true);
    rpddPadrao->LoadFromFile(path);
}

// ---- handlers

void TfrmDadosGerRel::FormCreate(QObject*)
{
    refreshReportList();
}

void TfrmDadosGerRel::FormActivate(QObject*)
{
    // Nothing of its own: the list of layouts is read at creation. Screens extend it.
}

void TfrmDadosGerRel::FormClose(QObject*, TCloseAction& Action)
{
    Action = caFree;
    emit closing();
}

void TfrmDadosGerRel::FormKeyDown(QObject*, quint16& Key, Qt::KeyboardModifiers Shift)
{
    pressCommandShortcut(Key, Shift);
}

void TfrmDadosGerRel::FormKeyPress(QObject*, QChar& Key)
{
    pressEscape(Key);
}

void TfrmDadosGerRel::sbtPrintClick(QObject*)
{
    loadChosenLayout();
    rpddPadrao->Print();
}

void TfrmDadosGerRel::sbtPreviewClick(QObject*)
{
    loadChosenLayout();
    rpddPadrao->Preview();
}

void TfrmDadosGerRel::sbtSalvarComoClick(QObject*)
{
    loadChosenLayout();
    if (rpddPadrao->SaveAs(suggestedFileName()))
        confirmInStatusBar(QStringLiteral("Relatório salvo em %1")
                               .arg(QDir::toNativeSeparators(rpddPadrao->SavedFileName())));
}

QString TfrmDadosGerRel::reportPeriod() const
{
    return {};
}

QString TfrmDadosGerRel::suggestedFileName() const
{
    QString name = cbbReportNames->currentText().trimmed();
    if (name.isEmpty())
        name = reportCode();
    if (const QString period = reportPeriod(); !period.isEmpty())
        name += QLatin1Char('-') + period;
    // Characters a file name cannot hold on the systems the files travel to.
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|]"));
    return name.replace(unsafe, QStringLiteral("-")) + QStringLiteral(".pdf");
}

void TfrmDadosGerRel::confirmInStatusBar(const QString& text)
{
    if (auto* main = qobject_cast<QMainWindow*>(window()))
        main->statusBar()->showMessage(text, kConfirmationMs);
}

void TfrmDadosGerRel::mnuSalvarTextoClick(QObject*)
{
    loadChosenLayout();
    rpddPadrao->SaveAsText();
}

void TfrmDadosGerRel::sbtReportEditClick(QObject*)
{
    // With no layout yet, the editor starts a new one under its title.
    if (m_layoutCodes.isEmpty()) {
        rpddPadrao->NewReport(reportCode(), msgPadrao->Msg(QStringLiteral("NovoCaption")),
                              msgPadrao->Msg(QStringLiteral("NovoPrompt")));
    } else {
        loadChosenLayout();
        rpddPadrao->Edit();
    }
    refreshReportList();
}

void TfrmDadosGerRel::sbtPageSetupClick(QObject*)
{
    loadChosenLayout();
    rpddPadrao->SetupPage();
}

void TfrmDadosGerRel::sbtSairClick(QObject*)
{
    Close();
}

void TfrmDadosGerRel::cbbReportNamesChange(QObject*)
{
    // The choice lives in the combo and the output commands read it when they run; screens
    // whose options depend on the layout replace this handler.
}
