#include "WidgetProperties.h"

#include "Colors.h"
#include "KavException.h"
#include "LayoutLoader.h"
#include "MetaLookup.h"

#include <QMenu>
#include <QMetaProperty>
#include <QWidget>

namespace Kav {

namespace {

const char* const kTabOrder = "TabOrder";
const char* const kAlign = "Align";
const char* const kTabStop = "TabStop";

const QStringList kAlignValues = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
const QStringList kAnchorValues = {"akLeft", "akTop", "akRight", "akBottom"};
// Design-time facts kept on the control as they were written, with no effect of their own.
const QStringList kRecordedBooleans = {"ShowHint",    "ParentShowHint", "ParentFont",
                                       "ParentColor", "Ctl3D",          "ParentCtl3D"};

void requireKind(const LayoutAssignment& a, LayoutValue::Kind kind, const char* what)
{
    if (a.value.kind != kind)
        throw Exception(QStringLiteral("property %1 takes %2").arg(a.name, QLatin1String(what)));
}

int integerOf(const LayoutAssignment& a)
{
    requireKind(a, LayoutValue::Kind::Integer, "an integer");
    return a.value.scalar.toInt();
}

bool booleanOf(const LayoutAssignment& a)
{
    requireKind(a, LayoutValue::Kind::Boolean, "True or False");
    return a.value.scalar.toBool();
}

QString textOf(const LayoutAssignment& a)
{
    requireKind(a, LayoutValue::Kind::String, "a text");
    return a.value.scalar.toString();
}

QString identifierOf(const LayoutAssignment& a, const QStringList& allowed)
{
    requireKind(a, LayoutValue::Kind::Identifier, "an identifier");
    const QString value = a.value.identifier();
    if (!allowed.isEmpty() && !allowed.contains(value))
        throw Exception(QStringLiteral("%1 is not a value of property %2").arg(value, a.name));
    return value;
}

QColor colorOfValue(const LayoutAssignment& a)
{
    requireKind(a, LayoutValue::Kind::Identifier, "a colour name");
    const QColor color = colorFromName(a.value.identifier());
    if (!color.isValid())
        throw Exception(QStringLiteral("unknown colour %1").arg(a.value.identifier()));
    return color;
}

// A declared QColor property written with a colour name ("ValidDateColor = clBlue").
bool writeNamedColor(const LayoutAssignment& a, const QMetaProperty& property)
{
    if (property.metaType().id() != QMetaType::QColor || !a.value.isIdentifier())
        return false;
    property.write(a.object, colorOfValue(a));
    return true;
}

void setGeometryPart(QWidget* w, const QString& name, int value)
{
    QRect r = w->geometry();
    if (name == QLatin1String("Left"))
        r.moveLeft(value);
    else if (name == QLatin1String("Top"))
        r.moveTop(value);
    else if (name == QLatin1String("Width"))
        r.setWidth(value);
    else
        r.setHeight(value);
    w->setGeometry(r);
}

bool writeGeometry(const LayoutAssignment& a, QWidget* w)
{
    static const QStringList names = {"Left", "Top", "Width", "Height"};
    if (!names.contains(a.name))
        return false;
    const int value = integerOf(a);
    if (!w->isWindow()) {
        // A control's place is its geometry, nothing more to keep.
        setGeometryPart(w, a.name, value);
        return true;
    }
    // A window's Width and Height include its frame: its client size is ClientWidth and
    // ClientHeight. Its place is where the window goes when shown, kept for its form to read.
    w->setProperty(a.name.toLatin1().constData(), value);
    if (a.name == QLatin1String("Left") || a.name == QLatin1String("Top"))
        w->move(a.name == QLatin1String("Left") ? QPoint(value, w->y()) : QPoint(w->x(), value));
    return true;
}

bool writeFont(const LayoutAssignment& a, QWidget* w)
{
    if (!a.name.startsWith(QLatin1String("Font.")))
        return false;
    const QString part = a.name.mid(5);
    QFont font = w->font();
    if (part == QLatin1String("Name")) {
        font.setFamily(textOf(a));
    } else if (part == QLatin1String("Height")) {
        // A negative height is the character height in pixels; a positive one includes the
        // leading, which the pixel size approximates.
        font.setPixelSize(qAbs(integerOf(a)));
    } else if (part == QLatin1String("Size")) {
        font.setPointSize(integerOf(a));
    } else if (part == QLatin1String("Style")) {
        requireKind(a, LayoutValue::Kind::Set, "a set of font styles");
        static const QStringList styles = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
        for (const QString& style : a.value.items) {
            if (!styles.contains(style))
                throw Exception(QStringLiteral("%1 is not a font style").arg(style));
        }
        font.setBold(a.value.items.contains(QLatin1String("fsBold")));
        font.setItalic(a.value.items.contains(QLatin1String("fsItalic")));
        font.setUnderline(a.value.items.contains(QLatin1String("fsUnderline")));
        font.setStrikeOut(a.value.items.contains(QLatin1String("fsStrikeOut")));
    } else if (part == QLatin1String("Color")) {
        QPalette palette = w->palette();
        const QColor color = colorOfValue(a);
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            palette.setColor(QPalette::Active, role, color);
            palette.setColor(QPalette::Inactive, role, color);
        }
        w->setPalette(palette);
        return true;
    } else if (part == QLatin1String("Charset")) {
        identifierOf(a, {}); // text is Unicode throughout: the character set changes nothing
        return true;
    } else {
        throw Exception(QStringLiteral("no font property %1").arg(part));
    }
    w->setFont(font);
    return true;
}

void attachPopupMenu(QWidget* w, QMenu* menu)
{
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(w, &QWidget::customContextMenuRequested, menu,
                     [w, menu](const QPoint& at) { menu->popup(w->mapToGlobal(at)); });
}

bool writeWidgetProperty(const LayoutAssignment& a, QWidget* w)
{
    if (writeGeometry(a, w) || writeFont(a, w))
        return true;
    const QString& name = a.name;
    if (name == QLatin1String("Enabled")) {
        w->setEnabled(booleanOf(a));
    } else if (name == QLatin1String("Visible")) {
        // A window shows when its form is shown; a control hides at once.
        const bool visible = booleanOf(a);
        if (!w->isWindow())
            w->setVisible(visible);
        w->setProperty("Visible", visible);
    } else if (name == QLatin1String("Hint")) {
        w->setToolTip(textOf(a));
    } else if (kRecordedBooleans.contains(name)) {
        w->setProperty(name.toLatin1().constData(), booleanOf(a));
    } else if (name == QLatin1String("TabOrder")) {
        w->setProperty(kTabOrder, integerOf(a));
    } else if (name == QLatin1String("TabStop")) {
        // Out of the Tab chain, still reachable by a click. Kept as written too: Qt moves the Tab
        // focus of option buttons among themselves.
        const bool stop = booleanOf(a);
        w->setProperty(kTabStop, stop);
        if (w->focusPolicy() != Qt::NoFocus)
            w->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
    } else if (name == QLatin1String("Color")) {
        requireKind(a, LayoutValue::Kind::Identifier, "a colour name");
        setColor(w, a.value.identifier());
    } else if (name == QLatin1String("Align")) {
        w->setProperty(kAlign, identifierOf(a, kAlignValues));
    } else if (name == QLatin1String("Anchors")) {
        requireKind(a, LayoutValue::Kind::Set, "a set of anchors");
        for (const QString& anchor : a.value.items) {
            if (!kAnchorValues.contains(anchor))
                throw Exception(QStringLiteral("%1 is not an anchor").arg(anchor));
        }
        w->setProperty("Anchors", a.value.items);
    } else if (name == QLatin1String("PopupMenu")) {
        const QString menuName = identifierOf(a, {});
        LayoutLoader& loader = a.loader;
        loader.defer([&loader, w, menuName] {
            auto* menu = qobject_cast<QMenu*>(loader.component(menuName));
            if (!menu)
                throw Exception(QStringLiteral("%1 is not a popup menu of the form").arg(menuName));
            attachPopupMenu(w, menu);
        });
    } else {
        return false;
    }
    return true;
}

bool writeGuiProperty(const LayoutAssignment& a)
{
    // What a class declares itself wins; colour names still read for its QColor properties.
    const int index = MetaLookup::propertyIndex(a.object->metaObject(), a.name);
    if (index >= 0)
        return writeNamedColor(a, a.object->metaObject()->property(index));
    auto* w = qobject_cast<QWidget*>(a.object);
    return w && writeWidgetProperty(a, w);
}

} // namespace

void registerWidgetPropertyKinds()
{
    LayoutLoader::addPropertyKind(writeGuiProperty);
    // The face the layouts were designed with is not on this system: text is drawn with the
    // closest in width it has, so captions fit the sizes the layouts give.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("DejaVu Sans Condensed")});
}

int layoutTabOrder(const QWidget* control)
{
    const QVariant order = control->property(kTabOrder);
    return order.isValid() ? order.toInt() : -1;
}

bool layoutTabStop(const QWidget* control)
{
    return control->property(kTabStop).value<bool>() || !control->property(kTabStop).isValid();
}

QString layoutAlign(const QWidget* control)
{
    return control->property(kAlign).toString();
}

} // namespace Kav
