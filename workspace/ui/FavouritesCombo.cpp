#include "FavouritesCombo.h"

#include "workspace/FavouritePaths.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace jvz {

FavouritesCombo::FavouritesCombo(QComboBox* combo, FavouritePaths& favourites,
                                 std::function<void(const QString&)> goToTypedPath, QObject* parent)
    : QObject(parent), m_combo(combo), m_favourites(favourites), m_goToTypedPath(std::move(goToTypedPath))
{
    m_combo->setEditable(true);
    // Entries are added by the favourites' own rules, never by the box on Enter.
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    // The box keeps the focus and hands keys on to its line edit, so its own filter sees each key once.
    m_combo->installEventFilter(this);
    if (QLineEdit* edit = m_combo->lineEdit()) {
        connect(edit, &QLineEdit::textEdited, this,
                [this](const QString& text) { m_favourites.setTypedText(stored(text)); });
    }
    connect(m_combo, &QComboBox::activated, this, &FavouritesCombo::Combo5_Click);
    connect(&m_favourites, &FavouritePaths::changed, this, &FavouritesCombo::showState);
    showState();
}

void FavouritesCombo::setDriveViewText(std::function<QString()> text)
{
    m_driveViewText = std::move(text);
    showState();
}

QString FavouritesCombo::shown(const QString& entry) const
{
    if (entry != FavouritePaths::kMyComputer || !m_driveViewText)
        return entry;
    const QString text = m_driveViewText();
    return text.isEmpty() ? entry : text;
}

QString FavouritesCombo::stored(const QString& text) const
{
    // The stored name is understood in every language, so a file written in one reads in the other.
    if (text == FavouritePaths::kMyComputer)
        return text;
    return text == shown(FavouritePaths::kMyComputer) ? FavouritePaths::kMyComputer : text;
}

void FavouritesCombo::showState()
{
    QStringList entries;
    for (const QString& entry : m_favourites.entries())
        entries << shown(entry);
    QStringList items;
    for (int i = 0; i < m_combo->count(); ++i)
        items << m_combo->itemText(i);
    if (items != entries) {
        m_combo->clear();
        m_combo->addItems(entries);
    }
    if (m_favourites.listIndex() >= 0 && m_favourites.listIndex() < m_combo->count())
        m_combo->setCurrentIndex(m_favourites.listIndex());
    m_combo->setEditText(shown(m_favourites.text()));
    m_combo->setToolTip(shown(m_favourites.toolTip()));
}

void FavouritesCombo::Combo5_Click(int index)
{
    // The box also "activates" the entry a typed text matches when the focus leaves it; leaving opens nothing.
    if (m_leaving)
        return;
    m_favourites.choose(index);
    if (m_goToTypedPath)
        m_goToTypedPath(m_favourites.text());
}

void FavouritesCombo::Combo5_KeyDown(int key)
{
    if (key == Qt::Key_Delete) {
        m_favourites.DeleteFavouritePath(stored(m_combo->currentText()));
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        m_favourites.setTypedText(stored(m_combo->currentText()));
        if (m_favourites.ConfirmTypedPath() && m_goToTypedPath)
            m_goToTypedPath(m_favourites.text());
    }
}

void FavouritesCombo::Combo5_LostFocus()
{
    m_favourites.LostFocus();
}

bool FavouritesCombo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_combo)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Combo5_KeyDown(key->key());
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            // On a listed entry the key removes it (after the question); elsewhere it edits the text.
            const bool listed = m_favourites.FindComboItem(stored(m_combo->currentText())) >= 0;
            Combo5_KeyDown(key->key());
            return listed;
        }
    } else if (event->type() == QEvent::FocusIn) {
        m_leaving = false;
    } else if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason) {
            m_leaving = true;
            Combo5_LostFocus();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace jvz
