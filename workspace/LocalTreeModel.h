#pragma once

// The local tree (TreeView1) as a model: the root "My Computer", one node per shown drive, and below them
// the folders, read from disk when a node is filled. Nodes keep their folder path (ending in "/") as item
// data; code finds nodes by path, never by text.

#include "workspace/DriveView.h"
#include "workspace/LocalItemRoles.h"
#include "workspace/LocalListModel.h"

#include <QAbstractItemModel>
#include <memory>
#include <vector>

namespace jvz {

class LocalTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit LocalTreeModel(IconLookup icons = {}, QObject* parent = nullptr);
    ~LocalTreeModel() override;

    void setIconLookup(IconLookup icons) { m_icons = std::move(icons); }
    void setRootText(const QString& text);

    QModelIndex rootIndex() const;
    // Replaces the root's children with the drives (the root itself stays).
    void setDrives(const QList<DriveEntry>& drives);
    // Removes every child of the node.
    void clearChildren(const QModelIndex& node);
    // Adds the node's sub-folders when it has no children yet; false when the folder could not be read.
    bool fillChildren(const QModelIndex& node);
    // Both: every selection of a node reads its sub-folders again.
    bool refreshChildren(const QModelIndex& node);

    // The node whose folder is the path (ending in "/"): the exact path first, else one that differs only
    // in case. The root is never found this way.
    QModelIndex findFolder(const QString& path) const;
    // The child of the node with this folder path.
    QModelIndex childWithPath(const QModelIndex& node, const QString& path) const;

    QString folderOf(const QModelIndex& node) const; // "" for the root
    QByteArray nativeFolderOf(const QModelIndex& node) const;
    LocalItemKind kindOf(const QModelIndex& node) const;
    bool isRoot(const QModelIndex& node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Node {
        QString text;
        QString path; // ends in "/"; empty for the root
        QByteArray native;
        QString imageKey;
        LocalItemKind kind = LocalItemKind::Folder;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        bool filled = false; // its sub-folders were read since it was last cleared
    };
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;
    int rowOf(const Node* node) const;
    void removeChildren(Node* node, const QModelIndex& index);

    struct ChangeScope {
        explicit ChangeScope(bool& flag) : m_flag(flag) { m_flag = true; }
        ~ChangeScope() { m_flag = false; }
        bool& m_flag;
    };

    IconLookup m_icons;
    bool m_changing = false; // rows are being inserted or removed
    std::unique_ptr<Node> m_invisible;
    Node* m_root = nullptr;
};

} // namespace jvz
