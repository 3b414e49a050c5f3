#pragma once

// Combo5, the favourite folders above the local explorer: shows the entries of FavouritePaths and runs the
// box's handlers (an entry picked, Enter, Delete, leaving the box).

#include <QObject>
#include <QString>
#include <functional>

class QComboBox;

namespace jvz {

class FavouritePaths;

class FavouritesCombo : public QObject {
    Q_OBJECT
public:
    // goToTypedPath: opens a folder path, or "My Computer", in the local tree.
    FavouritesCombo(QComboBox* combo, FavouritePaths& favourites, std::function<void(const QString&)> goToTypedPath,
                    QObject* parent = nullptr);

    // The drive view's entry is stored as "My Computer" and shown as this text of the language file.
    void setDriveViewText(std::function<QString()> text);
    // Shows the entries again, after the language changed.
    void showState();

    void Combo5_Click(int index);
    void Combo5_KeyDown(int key);
    void Combo5_LostFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString shown(const QString& entry) const; // an entry as the box shows it
    QString stored(const QString& text) const; // a text of the box as the entries hold it

    QComboBox* m_combo;
    FavouritePaths& m_favourites;
    std::function<void(const QString&)> m_goToTypedPath;
    std::function<QString()> m_driveViewText;
    bool m_leaving = false; // the focus has left the box
};

} // namespace jvz
