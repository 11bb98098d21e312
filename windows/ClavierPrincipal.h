#pragma once
// The main window's keyboard and tips: it sees the keys of the window before its controls,
// remembers the command key held down (E, H, V, A, I, M, 1, 2, 3) and the arrows' step, and says
// which keys change each drawn part of the cue control and of the table. It only reports what
// was asked; the main window does it.

#include <QObject>
#include <QPoint>
#include <QString>

class QWidget;
class TCIBillardHor3B;
class TCIBille;
class TEhvi;

class TClavierMain : public QObject {
    Q_OBJECT
  public:
    /// Keys are read while `fenetre` is their window's top level; tips over `ehvi` and `table`.
    TClavierMain(QWidget* fenetre, TEhvi* ehvi, TCIBillardHor3B* table);
    ~TClavierMain() override;

    int Increment() const { return FIncrement; }     ///< step of the arrow keys, at least 1
    int ToucheTenue() const { return FToucheTenue; } ///< command key held, 0 for none

    /// The tip shown over a drawn part of the cue control or the table (at pixel p of that
    /// control), naming the keys that change it; empty where there is none.
    QString InfoBulle(const QWidget* controle, QPoint p) const;

  signals:
    /// An arrow while `commande` (a Qt key code, 0 for none) is held, by (dx, dy) steps.
    void Fleche(int commande, int dx, int dy);
    /// One of the window's own keys: Space, Escape, Home (or Backspace), End, Delete, Q, F1 on
    /// press; F9 on release.
    void Commande(int touche);

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

  private:
    bool ToucheEnfoncee(int touche, bool pave);
    bool ToucheRelachee(int touche);
    TCIBille* Bille(int n) const;

    QWidget* FFenetre;
    TEhvi* FEhvi;
    TCIBillardHor3B* FTable;
    int FIncrement = 1;
    int FToucheTenue = 0;
};
