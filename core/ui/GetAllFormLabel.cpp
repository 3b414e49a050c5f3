#include "core/ui/GetAllFormLabel.h"

#include "core/ProgramInfo.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

namespace jvz {

namespace {

enum class ControlKind {
    Other,
    MenuItem,
    Label,
    Frame,
    CommandButton,
    CheckOrOption,
    ListView,
    Toolbar,
};

const QString kToolTip = QStringLiteral("ToolTipText");

bool inMenu(const QAction* action)
{
    for (const QObject* o : action->associatedObjects()) {
        if (qobject_cast<const QMenu*>(o))
            return true;
    }
    return false;
}

// The one place where Qt classes meet the control kinds of the language file.
ControlKind kindOf(QObject* object)
{
    // Unnamed objects and Qt's own parts (the popup list of a combo box, toolbar handles) are no controls.
    const QString name = object->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
        return ControlKind::Other;
    if (qobject_cast<QMenu*>(object))
        return ControlKind::MenuItem;
    if (auto* action = qobject_cast<QAction*>(object)) {
        // A menu's own action is translated through the menu.
        if (action->menu() || action->isSeparator() || !inMenu(action))
            return ControlKind::Other;
        return ControlKind::MenuItem;
    }
    if (qobject_cast<QLabel*>(object))
        return ControlKind::Label;
    if (qobject_cast<QGroupBox*>(object))
        return ControlKind::Frame;
    if (qobject_cast<QCheckBox*>(object) || qobject_cast<QRadioButton*>(object))
        return ControlKind::CheckOrOption;
    if (qobject_cast<QPushButton*>(object))
        return ControlKind::CommandButton;
    if (auto* toolButton = qobject_cast<QToolButton*>(object))
        return qobject_cast<QToolBar*>(toolButton->parent()) ? ControlKind::Other : ControlKind::CommandButton;
    if (qobject_cast<QToolBar*>(object))
        return ControlKind::Toolbar;
    if (qobject_cast<QTableView*>(object) || qobject_cast<QListView*>(object))
        return ControlKind::ListView;
    if (auto* tree = qobject_cast<QTreeView*>(object))
        return tree->isHeaderHidden() ? ControlKind::Other : ControlKind::ListView;
    return ControlKind::Other;
}

bool selected(ControlKind kind, int mask)
{
    switch (kind) {
    case ControlKind::Other:
        return false;
    case ControlKind::MenuItem:
        return mask & KindMenuItems;
    case ControlKind::Label:
        return mask & (KindLabels | KindLabelsFromBdd | KindAllButtonLike);
    case ControlKind::Frame:
        return mask & (KindFrames | KindAllButtonLike);
    case ControlKind::CommandButton:
        return mask & (KindCommandButtons | KindAllButtonLike);
    case ControlKind::CheckOrOption:
        return mask & (KindCheckAndOptionButtons | KindAllButtonLike);
    case ControlKind::ListView:
    case ControlKind::Toolbar:
        return true;
    }
    return false;
}

// Controls without a caption (list views) are skipped silently.
void setCaption(QObject* object, const QString& text)
{
    if (auto* menu = qobject_cast<QMenu*>(object))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(object))
        action->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(object))
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(object))
        group->setTitle(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setText(text);
}

// Menu items have no tooltip.
void setToolTip(QObject* object, const QString& text)
{
    if (qobject_cast<QMenu*>(object) || qobject_cast<QAction*>(object))
        return;
    if (auto* widget = qobject_cast<QWidget*>(object))
        widget->setToolTip(text);
}

// The name under which a control is looked up: a member of a control array past index 0 adds its index.
QString lookupName(const QObject* object)
{
    const QVariant index = object->property("index");
    bool ok = false;
    const int i = index.toInt(&ok);
    if (index.isValid() && ok && i > 0)
        return object->objectName() + QString::number(i);
    return object->objectName();
}

void translateListView(const MBLanguages& language, QAbstractItemView* view, const QString& name)
{
    view->setToolTip(language.GetFormLabel(kToolTip + name));
    QAbstractItemModel* model = view->model();
    if (!model)
        return;
    const QString prefix = name + QStringLiteral(".ColumnHeaders");
    if (auto* tree = qobject_cast<QTreeWidget*>(view)) {
        for (int i = 1; i <= tree->columnCount(); ++i)
            tree->headerItem()->setText(i - 1, language.GetFormLabel(prefix + QString::number(i)));
        return;
    }
    // Models that keep no header texts refuse them; that is skipped like any missing property.
    for (int i = 1; i <= model->columnCount(); ++i)
        model->setHeaderData(i - 1, Qt::Horizontal, language.GetFormLabel(prefix + QString::number(i)));
}

void translateToolbar(const MBLanguages& language, QToolBar* toolbar, const QString& name)
{
    const QList<QAction*> buttons = toolbar->actions();
    for (int i = 1; i <= buttons.size(); ++i) {
        QAction* button = buttons.at(i - 1);
        const QString key = name + QStringLiteral(".Buttons") + QString::number(i);
        const QString caption = language.GetFormLabel(key);
        const QString tip = language.GetFormLabel(kToolTip + key);
        // A separator has neither; it only holds its place in the numbering.
        if (button->isSeparator())
            continue;
        button->setText(caption);
        button->setToolTip(tip);
    }
}

} // namespace

void GetAllFormLabel(MBLanguages& language, QWidget& form, int kindMask, bool /*quiet*/)
{
    const QString caption = language.GetFormCaption(form.objectName());
    if (!caption.isEmpty()) {
        form.setWindowTitle(caption);
    } else {
        form.setWindowTitle(language.GetGeneralLabel(QStringLiteral("ToolTitle")) + QStringLiteral(" - V ") +
                            QString::number(programVersionMajor()) + QLatin1Char('.') +
                            QString::number(programVersionMinor()));
    }

    const QList<QObject*> controls = form.findChildren<QObject*>();
    for (QObject* control : controls) {
        const ControlKind kind = kindOf(control);
        if (!selected(kind, kindMask))
            continue;
        const QString name = control->objectName();

        if (kind == ControlKind::Label && (kindMask & KindLabelsFromBdd)) {
            const QString saved = language.CurrentSection();
            language.SetCurrentSection(QStringLiteral("Bdd"));
            const QString shared = language.GetFormLabel(name.mid(3));
            language.SetCurrentSection(saved);
            if (!shared.isEmpty()) {
                setCaption(control, shared);
                continue;
            }
        }
        if (kind == ControlKind::ListView)
            translateListView(language, qobject_cast<QAbstractItemView*>(control), name);
        else if (kind == ControlKind::Toolbar)
            translateToolbar(language, qobject_cast<QToolBar*>(control), name);
        // List views and toolbars go on too: a key of their own name gives their tooltip.
        const QString fullName = lookupName(control);
        const QString text = language.GetFormLabel(fullName);
        if (text.isEmpty())
            continue; // the design-time caption and tooltip stay
        setCaption(control, text);
        setToolTip(control, language.GetFormLabel(kToolTip + fullName));
    }
}

void GetTextBoxToolTipText(MBLanguages& language, QWidget& form, bool /*quiet*/)
{
    const QList<QWidget*> widgets = form.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QTextEdit*>(w) && !qobject_cast<QPlainTextEdit*>(w))
            continue;
        const QString tip = language.GetFormLabel(kToolTip + lookupName(w));
        if (!tip.isEmpty())
            w->setToolTip(tip);
    }
}

} // namespace jvz
