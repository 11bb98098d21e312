#pragma once
// The main window's menu items are its own: tests reach them as a user does, by the item,
// here found by its object name.

#include <QAction>
#include <QtGlobal>

/// The action named `nom` among the children of `fenetre`; the test program stops when there
/// is none, since every later step would test nothing.
inline QAction* Action(const QObject& fenetre, const char* nom) {
    auto* action = fenetre.findChild<QAction*>(QString::fromLatin1(nom));
    if (!action) qFatal("no menu item named %s", nom);
    return action;
}
