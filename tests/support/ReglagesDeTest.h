#pragma once
// Settings of the tests' own: the window remembers choices between runs (drawing mode, cue
// ball, game mode, folders), so a test that reads them from the user's settings, or leaves its
// own behind, would depend on what ran before. Each call starts from empty settings in Qt's
// test location, never the user's.

#include <QSettings>
#include <QStandardPaths>
#include <QString>

inline void ReglagesVierges() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings().clear();
    // The program's own names, which its start sets.
    QSettings(QStringLiteral("Alveran"), QStringLiteral("alveran")).clear();
}
