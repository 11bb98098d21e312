#pragma once
// Showing a window where the user can reach all of it.

class QWidget;

/// Shows and raises a window wholly on its screen: no larger than the screen's free area and
/// with its frame inside it (at 200 % a window laid out for 100 % can be taller than the
/// screen, its buttons out of reach).
void MontreSurEcran(QWidget* fenetre);
