#pragma once
// The base report form: built from its stored layout (and those of the screen deriving from it),
// it offers the report layouts of its report code in cbbReportNames and the output commands
// (print, preview, save as, save as text, report edit, page setup) through the report dialog
// rpddPadrao, with the keyboard shortcuts of its command buttons.
//
// Its handlers are published by name and virtual: a screen's handler of the same name, marked
// `override`, replaces the base one and calls it itself. The form is created by Frm::createForm in the client
// context its creator gives it (Kav::ClientContext), whose session gives its report folders and which its
// layouts hand to the components and dialogs they create; it is shown as a child of the
// context's MDI area or as a window of its own, and closed through its OnClose handler, whose
// close action decides what closing does. Its component members are generated from its layout
// (KavLayout::TfrmDadosGerRelComponents).

#include "TCloseAction.h"
#include "TfrmDadosGerRelBindings.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QMdiArea;
namespace Kav {
class ClientContext;
}
namespace Qr {
struct ReportEntry;
}

class TfrmDadosGerRel : public QWidget, public KavLayout::TfrmDadosGerRelComponents
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnCreate OnActivate OnClose OnKeyDown OnKeyPress")
    Q_PROPERTY(QString Caption READ windowTitle WRITE setWindowTitle)
    Q_PROPERTY(int ClientWidth READ width WRITE setClientWidth)
    Q_PROPERTY(int ClientHeight READ height WRITE setClientHeight)
    Q_PROPERTY(TFormBorderStyle BorderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(TFormStyle FormStyle READ formStyle WRITE setFormStyle)
    // The form sees key events before the focused control does.
    Q_PROPERTY(bool KeyPreview MEMBER m_keyPreview)
    // Shown as soon as it is created.
    Q_PROPERTY(bool Visible MEMBER m_visibleOnCreation)
    // The resolution and text height the layout was designed at.
    Q_PROPERTY(int PixelsPerInch MEMBER m_pixelsPerInch)
    Q_PROPERTY(int TextHeight MEMBER m_textHeight)

public:
    enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
    Q_ENUM(TFormBorderStyle)
    enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
    Q_ENUM(TFormStyle)

    explicit TfrmDadosGerRel(Kav::ClientContext& context, QWidget* parent = nullptr);
    ~TfrmDadosGerRel() override;

    // Builds the form from its layouts and runs OnCreate; errors pass to the caller. Called by
    // Frm::createForm once the instance pointer is stored.
    void create();
    // After create: placed in the MDI area and shown when its layout says it is visible.
    void showCreated();

    // Brings the form to the front (its MDI window when it has one).
    Q_INVOKABLE void Show();
    // Back to its normal size from minimised or maximised.
    Q_INVOKABLE void ShowNormal();
    // Closes as the user would: OnClose decides what happens. Handler errors pass to the caller.
    Q_INVOKABLE void Close();
    // Closed for good (its close action freed it); it is deleted once control returns to the
    // event loop.
    bool isClosed() const { return m_closed; }
    // The client the form works for.
    Kav::ClientContext& context() const { return m_context; }
    QMdiSubWindow* subWindow() const { return m_subWindow; }

    // The report code: the first six characters of lblCodRel's caption.
    QString reportCode() const;
    // Layout codes, one per item of cbbReportNames, in the same order.
    const QStringList& layoutCodes() const { return m_layoutCodes; }
    // The code of the layout chosen in cbbReportNames; empty when none is.
    QString chosenLayoutCode() const;
    // Report code, chosen layout code, ".QR2".
    QString chosenLayoutFileName() const;
    // Whether the chosen layout is layout `code` ("04"): its file name equals the report code
    // followed by `code` and ".QR2", exactly.
    bool isChosenLayout(const QString& code) const;
    // Lists the layouts of the report code from the reports folders, keeping the chosen one.
    void refreshReportList();
    // Shows these layouts in cbbReportNames, keeping the chosen code when it is still there,
    // else choosing the first.
    void setReportList(const QList<Qr::ReportEntry>& entries);

    // The handlers its layout binds (FormCreate, FormClose(Sender, Action), sbtPrintClick...),
    // declared from the layout, all virtual: a screen replaces one with `override`.
    KAVLAYOUT_TfrmDadosGerRel_HANDLERS;

signals:
    // The base close handler has agreed to free the form.
    void closing();

protected:
    // The layout files applied in order; a screen appends its own.
    virtual QStringList layoutFiles() const;
    // Sets the component members from the built form; a screen binds its own after the base's.
    virtual void bindComponents();
    // The period the criteria cover, as a file name may carry it ("01-03-2025 a 31-03-2025");
    // empty by default.
    virtual QString reportPeriod() const;
    // What "Salvar como" suggests: "<report>-<period>.pdf".
    QString suggestedFileName() const;
    // A short message in the host's status bar, when the form lives in the host's window.
    void confirmInStatusBar(const QString& text);

    // The command button a Ctrl+letter presses: E report edit, F page setup, I print,
    // P preview, S save as; null for any other key code.
    TSpeedButton* commandButtonForKey(quint16 key) const;
    // Ctrl+E/F/I/P/S: the key is consumed, then its button pressed when enabled. Other keys
    // and keys without Ctrl are left alone.
    void pressCommandShortcut(quint16& Key, Qt::KeyboardModifiers Shift);
    // Escape presses sbtSair, enabled or not, then is consumed.
    void pressEscape(QChar& Key);

    // Loads the chosen layout into rpddPadrao; "Arq_Rel_Err" when its file is not found.
    void loadChosenLayout();

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Tab and Shift+Tab follow the layout's tab order.
    bool focusNextPrevChild(bool next) override;

private:
    QStringList reportFolders() const;
    // As a child of `area`, at `place`, not yet shown.
    void placeInMdiArea(QMdiArea& area, const QPoint& place);
    static QPoint withinView(const QPoint& place, const QSize& window, const QSize& view);
    void setClientWidth(int width);
    void setClientHeight(int height);
    TFormBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(TFormBorderStyle style);
    TFormStyle formStyle() const { return m_formStyle; }
    void setFormStyle(TFormStyle style) { m_formStyle = style; }
    TCloseAction queryClose();
    void applyCloseAction(TCloseAction action);
    void activated();
    bool previewKey(QWidget* focused, QKeyEvent* event);

    Kav::ClientContext& m_context;
    QStringList m_layoutCodes;
    bool m_keyPreview = false;
    bool m_visibleOnCreation = false;
    int m_pixelsPerInch = 96;
    int m_textHeight = 13;
    TFormBorderStyle m_borderStyle = bsSizeable;
    TFormStyle m_formStyle = fsNormal;
    bool m_closed = false;
    bool m_closeDecided = false;
    bool m_closing = false; // a close is being decided or carried out
    QPointer<QMdiSubWindow> m_subWindow;
};
