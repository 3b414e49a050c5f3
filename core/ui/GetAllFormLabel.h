#pragma once

#include "core/MBLanguages.h"

class QWidget;

namespace jvz {

// Kinds of control a translation selects, as bits of its mask (255: every kind).
enum FormLabelKind : int {
    KindMenuItems = 1,
    KindLabels = 2,
    KindFrames = 4,
    KindCommandButtons = 8,
    KindCheckAndOptionButtons = 16,
    KindLabelsFromBdd = 64, // labels, looked up first in [Bdd] under their name without its 3-letter prefix
    KindAllButtonLike = 128,
    KindAll = 255,
};

// Translates a window by the object names of its controls: the window caption, then every control in the
// order of its children. After the call the table's current section is the window's name.
//
// Control kinds on Qt:
//   menu item       QMenu (its title) and a QAction shown in a menu (its text; no tooltip)
//   label           QLabel
//   frame           QGroupBox (its title)
//   command button  QPushButton, and a QToolButton outside toolbars
//   check / option  QCheckBox, QRadioButton
//   list view       QTableView, QListView, and a QTreeView whose header is shown (a tree without one is a
//                   tree view and is left alone); columns are the model's horizontal headers
//   toolbar         QToolBar; its buttons are its actions in order, separators included, numbered from 1
// Members of a control array carry their index in the dynamic property "index".
// quiet changes nothing in what is applied.
void GetAllFormLabel(MBLanguages& language, QWidget& form, int kindMask = KindAll, bool quiet = true);

// Tooltips of the text boxes (QLineEdit, QTextEdit, QPlainTextEdit) from "ToolTipText" & name; a key
// without a text leaves the tooltip as it is.
void GetTextBoxToolTipText(MBLanguages& language, QWidget& form, bool quiet = true);

} // namespace jvz
