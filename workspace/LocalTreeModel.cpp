#include "LocalTreeModel.h"

#include "workspace/LocalListing.h"

#include <functional>

namespace jvz {

LocalTreeModel::LocalTreeModel(IconLookup icons, QObject* parent)
    : QAbstractItemModel(parent), m_icons(std::move(icons)), m_invisible(std::make_unique<Node>())
{
    auto root = std::make_unique<Node>();
    root->text = QStringLiteral("My Computer");
    root->imageKey = QStringLiteral("My Computer");
    root->kind = LocalItemKind::Root;
    root->parent = m_invisible.get();
    root->filled = true;
    m_root = root.get();
    m_invisible->children.push_back(std::move(root));
}

LocalTreeModel::~LocalTreeModel() = default;

void LocalTreeModel::setRootText(const QString& text)
{
    m_root->text = text;
    const QModelIndex i = rootIndex();
    emit dataChanged(i, i, {Qt::DisplayRole});
}

QModelIndex LocalTreeModel::rootIndex() const
{
    return createIndex(0, 0, m_root);
}

LocalTreeModel::Node* LocalTreeModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_invisible.get();
}

int LocalTreeModel::rowOf(const Node* node) const
{
    const Node* p = node->parent;
    for (size_t i = 0; i < p->children.size(); ++i) {
        if (p->children[i].get() == node)
            return int(i);
    }
    return -1;
}

QModelIndex LocalTreeModel::indexOf(const Node* node) const
{
    if (!node || node == m_invisible.get())
        return {};
    return createIndex(rowOf(node), 0, const_cast<Node*>(node));
}

void LocalTreeModel::removeChildren(Node* node, const QModelIndex& index)
{
    // Marked read while its rows change, so nothing asks for a fetch in the middle of it.
    node->filled = true;
    if (!node->children.empty()) {
        const ChangeScope scope(m_changing);
        beginRemoveRows(index, 0, int(node->children.size()) - 1);
        node->children.clear();
        endRemoveRows();
    }
    node->filled = false;
}

void LocalTreeModel::setDrives(const QList<DriveEntry>& drives)
{
    const QModelIndex rootIdx = rootIndex();
    removeChildren(m_root, rootIdx);
    m_root->filled = true;
    if (!drives.isEmpty()) {
        const ChangeScope scope(m_changing);
        beginInsertRows(rootIdx, 0, int(drives.size()) - 1);
        for (const DriveEntry& d : drives) {
            auto n = std::make_unique<Node>();
            n->path = d.path;
            n->native = nativeFromText(d.path);
            n->text = d.path.size() > 1 ? d.path.chopped(1) : d.path;
            n->imageKey = d.imageKey;
            n->kind = LocalItemKind::Drive;
            n->parent = m_root;
            m_root->children.push_back(std::move(n));
        }
        endInsertRows();
    }
    m_root->filled = true;
}

void LocalTreeModel::clearChildren(const QModelIndex& node)
{
    Node* n = nodeOf(node);
    if (n == m_invisible.get())
        return;
    removeChildren(n, node);
}

bool LocalTreeModel::fillChildren(const QModelIndex& node)
{
    Node* n = nodeOf(node);
    if (n == m_invisible.get() || n == m_root)
        return true;
    if (!n->children.empty()) {
        n->filled = true;
        return true;
    }
    const FolderListing sub = listSubFolders(n->native);
    n->filled = true; // before the rows arrive: a view that asks for more during the insert gets nothing
    if (!sub.entries.isEmpty()) {
        const ChangeScope scope(m_changing);
        beginInsertRows(node, 0, int(sub.entries.size()) - 1);
        for (const LocalEntry& e : sub.entries) {
            auto c = std::make_unique<Node>();
            c->text = e.name;
            c->native = e.nativePath(n->native);
            c->path = e.fullPath(n->path);
            c->imageKey = QStringLiteral("ClsFolder");
            c->kind = LocalItemKind::Folder;
            c->parent = n;
            n->children.push_back(std::move(c));
        }
        endInsertRows();
    }
    n->filled = true;
    return sub.readable;
}

bool LocalTreeModel::refreshChildren(const QModelIndex& node)
{
    if (isRoot(node))
        return true;
    clearChildren(node);
    return fillChildren(node);
}

QModelIndex LocalTreeModel::findFolder(const QString& path) const
{
    const Node* exact = nullptr;
    const Node* anyCase = nullptr;
    std::function<void(const Node*)> walk = [&](const Node* n) {
        for (const auto& c : n->children) {
            if (exact)
                return;
            if (c->path == path)
                exact = c.get();
            else if (!anyCase && c->path.compare(path, Qt::CaseInsensitive) == 0)
                anyCase = c.get();
            walk(c.get());
        }
    };
    walk(m_root);
    return indexOf(exact ? exact : anyCase);
}

QModelIndex LocalTreeModel::childWithPath(const QModelIndex& node, const QString& path) const
{
    const Node* n = nodeOf(node);
    for (const auto& c : n->children) {
        if (c->path == path)
            return indexOf(c.get());
    }
    return {};
}

QString LocalTreeModel::folderOf(const QModelIndex& node) const
{
    return node.isValid() ? nodeOf(node)->path : QString();
}

QByteArray LocalTreeModel::nativeFolderOf(const QModelIndex& node) const
{
    return node.isValid() ? nodeOf(node)->native : QByteArray();
}

LocalItemKind LocalTreeModel::kindOf(const QModelIndex& node) const
{
    return node.isValid() ? nodeOf(node)->kind : LocalItemKind::Root;
}

bool LocalTreeModel::isRoot(const QModelIndex& node) const
{
    return node.isValid() && nodeOf(node) == m_root;
}

QModelIndex LocalTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    const Node* p = nodeOf(parent);
    if (size_t(row) >= p->children.size())
        return {};
    return createIndex(row, 0, p->children[size_t(row)].get());
}

QModelIndex LocalTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    return indexOf(nodeOf(child)->parent);
}

int LocalTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(nodeOf(parent)->children.size());
}

int LocalTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant LocalTreeModel::data(const QModelIndex& index, int role) const
{
    // Views ask with invalid indexes too (a combo with no current row): no data, no warning.
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Node* n = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return n->text;
    case Qt::DecorationRole:
        return m_icons ? QVariant(m_icons(n->imageKey)) : QVariant();
    case LocalRole::FullPath:
        return n->path;
    case LocalRole::NativePath:
        return n->native;
    case LocalRole::ImageKey:
        return n->imageKey;
    case LocalRole::Kind:
        return int(n->kind);
    default:
        return {};
    }
}

bool LocalTreeModel::hasChildren(const QModelIndex& parent) const
{
    const Node* n = nodeOf(parent);
    if (!n->children.empty())
        return true;
    // A folder not read yet may hold folders: offer to expand it.
    return parent.isValid() && n != m_root && !n->filled;
}

bool LocalTreeModel::canFetchMore(const QModelIndex& parent) const
{
    const Node* n = nodeOf(parent);
    return parent.isValid() && n != m_root && !n->filled;
}

void LocalTreeModel::fetchMore(const QModelIndex& parent)
{
    // Observers may ask for more while rows are still arriving; the fill waits for a later ask.
    if (!m_changing && canFetchMore(parent))
        fillChildren(parent);
}

} // namespace jvz
