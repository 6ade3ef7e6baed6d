#include "LayoutLoader.h"

#include "ClassRegistry.h"
#include "Events.h"
#include "LayoutError.h"
#include "LayoutParser.h"
#include "MetaLookup.h"
#include "ParsedLayouts.h"

#include <QMetaProperty>

namespace Kav {

namespace {

const char* const kEventsClassInfo = "KavEvents";

int& loadingDepth()
{
    static int depth = 0;
    return depth;
}

struct LoadingGuard
{
    LoadingGuard() { ++loadingDepth(); }
    ~LoadingGuard() { --loadingDepth(); }
};

QList<LayoutLoader::PropertyKind>& propertyKinds()
{
    static QList<LayoutLoader::PropertyKind> kinds;
    return kinds;
}

QString unqualified(const char* className)
{
    const QString name = QString::fromLatin1(className);
    const int separator = name.lastIndexOf(QLatin1String("::"));
    return separator < 0 ? name : name.mid(separator + 2);
}

bool isOfLayoutClass(const QObject* object, const QString& className)
{
    if (LayoutLoader::layoutClassOf(object) == className)
        return true;
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass()) {
        if (unqualified(meta->className()) == className)
            return true;
    }
    return false;
}

// Events a class declares it fires; empty when it declares none (then any name is taken).
QStringList declaredEvents(const QObject* object)
{
    return MetaLookup::classInfoWords(object->metaObject(), kEventsClassInfo);
}

bool isEventName(const QString& name)
{
    return name.size() > 2 && name.startsWith(QLatin1String("On")) && name.at(2).isUpper();
}

QString kindName(LayoutValue::Kind kind)
{
    switch (kind) {
    case LayoutValue::Kind::String:
        return QStringLiteral("a text");
    case LayoutValue::Kind::Integer:
        return QStringLiteral("an integer");
    case LayoutValue::Kind::Float:
        return QStringLiteral("a number");
    case LayoutValue::Kind::Boolean:
        return QStringLiteral("a boolean");
    case LayoutValue::Kind::Identifier:
        return QStringLiteral("an identifier");
    case LayoutValue::Kind::Set:
        return QStringLiteral("a set");
    case LayoutValue::Kind::List:
        return QStringLiteral("a list");
    case LayoutValue::Kind::Binary:
        return QStringLiteral("binary data");
    }
    return {};
}

// Whether a value written as `kind` may be stored in a property of `type`. Strict, so that a
// mistyped value is an error rather than a silent conversion.
bool fits(LayoutValue::Kind kind, QMetaType type)
{
    using K = LayoutValue::Kind;
    switch (type.id()) {
    case QMetaType::Bool:
        return kind == K::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return kind == K::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return kind == K::Integer || kind == K::Float;
    case QMetaType::QString:
    case QMetaType::QChar:
        return kind == K::String;
    case QMetaType::QStringList:
        return kind == K::List || kind == K::Set;
    case QMetaType::QByteArray:
        return kind == K::Binary || kind == K::String;
    default:
        return kind != K::Identifier;
    }
}

} // namespace

const char* const LayoutLoader::layoutClassProperty = "kavLayoutClass";

void LayoutLoader::addPropertyKind(PropertyKind kind)
{
    propertyKinds().append(std::move(kind));
}

LayoutLoader::LayoutLoader(QObject* root, ClientCoreContext& context) : m_root(root), m_context(context) {}

bool LayoutLoader::isLoading()
{
    return loadingDepth() > 0;
}

QString LayoutLoader::layoutClassOf(const QObject* object)
{
    const QVariant recorded = object->property(layoutClassProperty);
    return recorded.isValid() ? recorded.toString() : unqualified(object->metaObject()->className());
}

QObject* LayoutLoader::component(const QString& name) const
{
    if (!m_root || name.isEmpty())
        return nullptr;
    if (m_root->objectName() == name)
        return m_root;
    if (const std::optional<QObject*> known = m_names.lookup(name))
        return *known;
    return m_root->findChild<QObject*>(name);
}

void LayoutLoader::defer(std::function<void()> resolve)
{
    m_deferred.append({m_line, std::move(resolve)});
}

void LayoutLoader::apply(const QString& fileName)
{
    applyRoot(ParsedLayouts::parse(fileName), fileName);
}

void LayoutLoader::applyText(const QString& text, const QString& fileName)
{
    applyRoot(LayoutParser(text, fileName).parse(), fileName);
}

void LayoutLoader::applyRoot(const LayoutNode& rootNode, const QString& fileName)
{
    const LoadingGuard loading;
    m_fileName = fileName;
    m_deferred.clear();
    m_line = rootNode.line;
    if (!m_root)
        throw LayoutError(fileName, m_line, QStringLiteral("no object to apply the layout to"));
    if (!isOfLayoutClass(m_root, rootNode.className))
        throw LayoutError(fileName, m_line,
                          QStringLiteral("the layout is for %1, not for %2")
                              .arg(rootNode.className, layoutClassOf(m_root)));
    const ComponentNames::Indexing indexing(m_names, m_root);
    m_root->setObjectName(rootNode.name);
    for (const LayoutProperty& property : rootNode.properties)
        applyProperty(m_root, property);
    for (const LayoutNode& child : rootNode.children)
        applyNode(child, m_root);

    // References may name components declared further down the file.
    const auto deferred = std::exchange(m_deferred, {});
    for (const auto& [line, resolve] : deferred) {
        m_line = line;
        try {
            resolve();
        } catch (const LayoutError&) {
            throw;
        } catch (const Exception& error) {
            throw LayoutError(m_fileName, line, error.message());
        }
    }
}

void LayoutLoader::applyNode(const LayoutNode& node, QObject* parent)
{
    m_line = node.line;
    QObject* object = node.inherited ? inheritedComponent(node) : createComponent(node, parent);
    for (const LayoutProperty& property : node.properties)
        applyProperty(object, property);
    for (const LayoutNode& child : node.children)
        applyNode(child, object);
}

QObject* LayoutLoader::createComponent(const LayoutNode& node, QObject* parent)
{
    if (component(node.name))
        throw LayoutError(m_fileName, node.line,
                          QStringLiteral("component %1 already exists").arg(node.name));
    auto& registry = ClassRegistry::instance();
    if (!registry.contains(node.className))
        throw LayoutError(m_fileName, node.line,
                          QStringLiteral("unknown class %1 of component %2").arg(node.className, node.name));
    QObject* object = registry.create(node.className, parent, m_context);
    if (!object)
        throw LayoutError(m_fileName, node.line,
                          QStringLiteral("class %1 could not be created").arg(node.className));
    // A control needs a control to sit on; anything else would become a window of its own.
    if (object->isWidgetType() && !parent->isWidgetType()) {
        delete object;
        throw LayoutError(m_fileName, node.line,
                          QStringLiteral("control %1 cannot be placed in the non-visual component %2")
                              .arg(node.name, parent->objectName()));
    }
    object->setObjectName(node.name);
    object->setProperty(layoutClassProperty, node.className);
    m_names.add(object);
    return object;
}

QObject* LayoutLoader::inheritedComponent(const LayoutNode& node) const
{
    QObject* object = component(node.name);
    if (!object)
        throw LayoutError(m_fileName, node.line,
                          QStringLiteral("inherited component %1 does not exist").arg(node.name));
    if (!isOfLayoutClass(object, node.className))
        throw LayoutError(m_fileName, node.line,
                          QStringLiteral("inherited component %1 is a %2, not a %3")
                              .arg(node.name, layoutClassOf(object), node.className));
    return object;
}

void LayoutLoader::applyProperty(QObject* object, const LayoutProperty& property)
{
    m_line = property.line;
    try {
        if (isEventName(property.name))
            bindLayoutEvent(object, property);
        else
            writeProperty(object, property.name, property.value);
    } catch (const LayoutError&) {
        throw;
    } catch (const Exception& error) {
        throw LayoutError(m_fileName, property.line, error.message());
    } catch (const std::exception& error) {
        throw LayoutError(m_fileName, property.line, QString::fromLocal8Bit(error.what()));
    }
}

void LayoutLoader::bindLayoutEvent(QObject* object, const LayoutProperty& property)
{
    const QStringList events = declaredEvents(object);
    if (!events.isEmpty() && !events.contains(property.name))
        throw Exception(QStringLiteral("%1 (%2) has no event %3")
                            .arg(object->objectName(), layoutClassOf(object), property.name));
    if (!property.value.isIdentifier())
        throw Exception(QStringLiteral("event %1 takes a handler name, not %2")
                            .arg(property.name, kindName(property.value.kind)));
    const QByteArray handler = property.value.identifier().toLatin1();
    if (!hasHandler(m_root, handler))
        throw Exception(QStringLiteral("unknown handler %1: %2 has no such method")
                            .arg(QString::fromLatin1(handler), layoutClassOf(m_root)));
    bindEvent(object, property.name.toLatin1(), m_root, handler, &m_context);
}

void LayoutLoader::writeProperty(QObject* object, const QString& name, const LayoutValue& value)
{
    const LayoutAssignment assignment{object, name, value, *this};
    for (const PropertyKind& kind : propertyKinds()) {
        if (kind(assignment))
            return;
    }

    const QMetaObject* meta = object->metaObject();
    const int dot = name.indexOf(QLatin1Char('.'));
    const QString head = dot < 0 ? name : name.left(dot);
    const int index = MetaLookup::propertyIndex(meta, head);
    if (index < 0)
        throw Exception(QStringLiteral("%1 (%2) has no property %3")
                            .arg(object->objectName(), layoutClassOf(object), name));
    const QMetaProperty property = meta->property(index);

    if (dot >= 0) {
        const QString rest = name.mid(dot + 1);
        // "SQL.Strings", "Items.Strings": the lines of a list property.
        if (rest == QLatin1String("Strings") && property.metaType().id() == QMetaType::QStringList) {
            writeProperty(object, head, value);
            return;
        }
        QObject* part = property.metaType().flags().testFlag(QMetaType::PointerToQObject)
                            ? property.read(object).value<QObject*>()
                            : nullptr;
        if (!part)
            throw Exception(QStringLiteral("%1 (%2) has no property %3")
                                .arg(object->objectName(), layoutClassOf(object), name));
        writeProperty(part, rest, value);
        return;
    }

    if (!property.isWritable())
        throw Exception(
            QStringLiteral("property %1 of %2 cannot be written").arg(name, object->objectName()));

    if (property.isEnumType()) {
        const QMetaEnum enumerator = property.enumerator();
        bool ok = false;
        int number = 0;
        if (value.kind == LayoutValue::Kind::Set && enumerator.isFlag())
            number = value.items.isEmpty()
                         ? (ok = true, 0)
                         : enumerator.keysToValue(value.items.join(QLatin1Char('|')).toLatin1(), &ok);
        else if (value.isIdentifier())
            number = enumerator.keyToValue(value.identifier().toLatin1(), &ok);
        if (!ok)
            throw Exception(
                QStringLiteral("%1 is not a value of property %2").arg(value.toVariant().toString(), name));
        property.write(object, number);
        return;
    }

    if (property.metaType().flags().testFlag(QMetaType::PointerToQObject)) {
        if (!value.isIdentifier())
            throw Exception(QStringLiteral("property %1 takes the name of a component").arg(name));
        const QString target = value.identifier();
        defer([this, object = QPointer<QObject>(object), property, target] {
            if (object)
                writeReference(object, property, target);
        });
        return;
    }

    if (!fits(value.kind, property.metaType()))
        throw Exception(QStringLiteral("property %1 does not take %2").arg(name, kindName(value.kind)));
    QVariant converted = value.toVariant();
    if (!converted.convert(property.metaType()) || !property.write(object, converted))
        throw Exception(
            QStringLiteral("property %1 does not take the value %2").arg(name, value.toVariant().toString()));
}

void LayoutLoader::writeReference(QObject* object, const QMetaProperty& property, const QString& targetName)
{
    QObject* target = component(targetName);
    if (!target)
        throw Exception(
            QStringLiteral("unknown component %1 named by property %2").arg(targetName, property.name()));
    const QMetaObject* wanted = property.metaType().metaObject();
    if (wanted && !target->metaObject()->inherits(wanted))
        throw Exception(QStringLiteral("component %1 (%2) cannot be the %3 of %4")
                            .arg(targetName, layoutClassOf(target), property.name(), object->objectName()));
    if (!property.write(object, QVariant(property.metaType(), &target)))
        throw Exception(
            QStringLiteral("property %1 does not take component %2").arg(property.name(), targetName));
}

} // namespace Kav
