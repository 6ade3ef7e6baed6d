#pragma once
// The named objects under a form while a layout is applied to it, gathered in one pass so that
// each name the layout declares or refers to is not searched for through every object of the
// form (the inner parts of its controls included).

#include <optional>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

namespace Kav {

class ComponentNames
{
public:
    // Gathers the names under `root` for as long as it lives.
    class Indexing
    {
    public:
        Indexing(ComponentNames& names, const QObject* root);
        ~Indexing();
        Indexing(const Indexing&) = delete;
        Indexing& operator=(const Indexing&) = delete;

    private:
        ComponentNames& m_names;
    };

    // A component just created under the root, with the named objects it made for itself.
    void add(QObject* object);

    // The object under the root named `name`, or null when there is none; no answer while not
    // indexing, or when the name is not known for sure (held twice, its object renamed or gone):
    // the caller then searches the tree itself.
    std::optional<QObject*> lookup(const QString& name) const;

private:
    void insert(QObject* object);

    bool m_indexing = false;
    // A name held by more than one object maps to null.
    QHash<QString, QPointer<QObject>> m_objects;
};

} // namespace Kav
