// The calibration window, the physical constants dialog, the numerical view and the vector
// editor, driven through the main window as a user would.

#include "support/Compteurs.h"
#include "windows/Calibrage.h"
#include "windows/PanelVersBille.h"
#include "windows/ParamPhysBox.h"
#include "windows/VueNum.h"
#include "ui/CIbh3billes.h"
#include "windows/EditVect.h"
#include "support/Actions.h"
#include "support/DialoguesScriptes.h"
#include "support/FenetrePrincipale.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

namespace {

/// The nineteen published constants, bit for bit.
std::array<uint64_t, TPARAMPHYS::NbParametres> Bits(const TPARAMPHYS& f) {
    std::array<uint64_t, TPARAMPHYS::NbParametres> b{};
    for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
        b[static_cast<size_t>(i)] = std::bit_cast<uint64_t>(f.Parametre(i));
    return b;
}

/// Runs `action` on the constants dialog once it is shown modally.
void DansLeDialogue(std::function<void(TParamPhysDlg&)> action) {
    QTimer::singleShot(0, [action] {
        auto* dlg = qobject_cast<TParamPhysDlg*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        action(*dlg);
    });
}

/// General notation, 15 digits, the user's separator and no grouping.
QString General15(double v) {
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(v, 'g', 15);
}

bool MemeEnregistrement(const TCinematique& a, const TCinematique& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

class TestFenetresAnalyse : public TTestFenetre {
    Q_OBJECT

    TCalibreFrm& C() { return *F->CalibreFrm(); }
    TVueNumFrm& V() { return *F->VueNumFrm(); }
    TEditVectFrm& E() { return *F->EditVectFrm(); }

    int Messages(const QString& texte) const {
        int n = 0;
        for (const auto& m : D->Messages) n += m.Texte == texte;
        return n;
    }

  private slots:
    void init() {
        QVERIFY(OuvreFenetre(
            {.Locale = QLocale(QLocale::French, QLocale::France), .CompteCoups = true}));
        // No database application answers under this name.
        F->LienDbAlv().FixeNomServeur(
            QStringLiteral("aucun-dbAlv-%1").arg(QCoreApplication::applicationPid()));
    }

    void cleanup() { FermeFenetre(); }

    // --- Calibration ------------------------------------------------------------------------

    void calibrageMasseBilles() {
        // At start the cushion height is selected, 3.7 / 40 per step of the bar.
        QCOMPARE(C().CoeffIniLbl->text(), QStringLiteral("3,7"));
        QCOMPARE(C().incrfTxt->text(), QStringLiteral("0,0925"));
        Action(*F, "BillesMnu")->trigger();
        C().FisikList->setCurrentIndex(1);
        C().FisikListChange(C().FisikList);
        QCOMPARE(C().incrfTxt->text(), QStringLiteral("5,375"));
        QCOMPARE(N.Frappes, 0);
        C().BarPos->setValue(4);
        QVERIFY(std::abs(F->Moteur().Fisik.MasseBilles - 1.1 * 215) < 1e-12);
        QCOMPARE(C().CoeffLbl->text(), QStringLiteral("236,5"));
        QCOMPARE(C().CoeffIniLbl->text(), QStringLiteral("215"));
        // Fired once, drawn as lines, then the drawing choice gets its check mark back.
        QCOMPARE(N.Frappes, 1);
        QCOMPARE(F->EtapeAffichee(), 0);
        QVERIFY(F->LignesTracees());
        QVERIFY(Action(*F, "BillesMnu")->isChecked());
        QVERIFY(!Action(*F, "LignesMnu")->isChecked());

        // Arrows within −20 … +20: at +20 the right arrow changes nothing and fires nothing.
        C().LeftBtn->click();
        QCOMPARE(C().BarPos->value(), 3);
        QCOMPARE(N.Frappes, 2);
        C().BarPos->setValue(20);
        const double masse = F->Moteur().Fisik.MasseBilles;
        QCOMPARE(masse, 1.5 * 215);
        const int frappes = N.Frappes;
        C().RightBtn->click();
        QCOMPARE(C().BarPos->value(), 20);
        QCOMPARE(F->Moteur().Fisik.MasseBilles, masse);
        QCOMPARE(N.Frappes, frappes);
        // "Rétablir" back to the initial value; at 0 it does nothing.
        C().SpeedButton1->click();
        QCOMPARE(F->Moteur().Fisik.MasseBilles, 215.0);
        QCOMPARE(N.Frappes, frappes + 1);
        C().SpeedButton1->click();
        QCOMPARE(N.Frappes, frappes + 1);

        // Another coefficient leaves the mass at its tested value.
        C().BarPos->setValue(-2);
        C().FisikList->setCurrentIndex(13);
        C().FisikListChange(C().FisikList);
        QCOMPARE(C().BarPos->value(), 0);
        QCOMPARE(F->Moteur().Fisik.MasseBilles, 215 - 2 * 5.375);
        QCOMPARE(C().CoeffIniLbl->text(), QStringLiteral("981"));
    }

    void calibrageHauteurParSetDimensionEtErreur() {
        // The cushion height goes through the clamping setter: never above 0.98 × 2R.
        C().incrfTxt->setText(QStringLiteral("1"));
        C().BarPos->setValue(10);
        QCOMPARE(F->Moteur().Fisik.HautBdes(), 0.98 * 6.15);
        QCOMPARE(F->Moteur().Fisik.Bandes[0].Point.z, 0.98 * 6.15);
        QCOMPARE(C().CoeffLbl->text(), QStringLiteral("6,027"));

        // An increment that is not a number: the bar moves, nothing else happens.
        const int frappes = N.Frappes;
        C().incrfTxt->setText(QStringLiteral("x"));
        C().BarPos->setValue(5);
        QCOMPARE(C().BarPos->value(), 5);
        QCOMPARE(F->Moteur().Fisik.HautBdes(), 0.98 * 6.15);
        QCOMPARE(N.Frappes, frappes);
        QCOMPARE(Messages(QStringLiteral("'x' n'est pas une valeur en virgule flottante correcte")),
                 1);

        // "Trace simultanée" is noted and given back too.
        Action(*F, "TraceSimultaneeMnu")->trigger();
        C().incrfTxt->setText(QStringLiteral("0,01"));
        C().BarPos->setValue(0);
        QVERIFY(Action(*F, "TraceSimultaneeMnu")->isChecked());
        QCOMPARE(F->Moteur().Fisik.HautBdes(), 3.7);
    }

    // --- Physical constants dialog ----------------------------------------------------------

    void constantesOkSansSaisieGardeChaqueBit() {
        TPARAMPHYS& f = F->Moteur().Fisik;
        // Values that 15 significant digits cannot carry.
        f.FrotBiBi = 0.1 + 0.2;
        f.MasseBilles = 1.0 / 3.0;
        f.SetDimension(0, 100.0 / 7.0 * 10);
        const auto avant = Bits(f);
        DansLeDialogue([](TParamPhysDlg& dlg) {
            QCOMPARE(dlg.Edits[3]->text(), QStringLiteral("0,333333333333333"));
            for (const QLineEdit* e : dlg.Edits) QVERIFY(!e->isModified());
            dlg.BitBtn1->click();
        });
        QVERIFY(EditeParametres(f, F.get(), D.get()));
        QVERIFY(Bits(f) == avant);
    }

    void constantesDefautPuisOk() {
        TPARAMPHYS& f = F->Moteur().Fisik;
        for (int i = 0; i < TPARAMPHYS::NbParametres; ++i) f.SetParametre(i, 0.5 + i);
        f.SetDimension(2, 1.0); // a small radius, written before the cushion height is read
        // "Annul." after "Defaut" changes nothing.
        DansLeDialogue([](TParamPhysDlg& dlg) {
            dlg.DefautBtn->click();
            dlg.BitBtn2->click();
        });
        QVERIFY(EditeParametres(f, F.get(), D.get()));
        QCOMPARE(f.G, 18.5);
        DansLeDialogue([](TParamPhysDlg& dlg) {
            dlg.DefautBtn->click();
            QCOMPARE(dlg.Edits[0]->text(), QStringLiteral("142,25"));
            QCOMPARE(dlg.Edits[2]->text(), QStringLiteral("3,075"));
            dlg.BitBtn1->click();
        });
        QVERIFY(EditeParametres(f, F.get(), D.get()));
        for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
            QCOMPARE(f.Parametre(i), TPARAMPHYS::Defaut(i));
        QCOMPARE(f.DiamBilles, 6.15);
    }

    void constantesFrappe() {
        TParamPhysDlg dlg;
        dlg.Remplit(F->Moteur().Fisik);
        dlg.show();
        QLineEdit* masse = dlg.Edits[3];
        masse->setFocus();
        masse->selectAll();
        // Letters, signs and exponents are refused; "." types the French separator.
        QTest::keyClicks(masse, QStringLiteral("a-2e.5"));
        QCOMPARE(masse->text(), QStringLiteral("2,5"));
        QVERIFY(masse->isModified());
        // Under settings whose separator is ".", a typed "," gives ".".
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QLineEdit* g = dlg.Edits[18];
        g->setFocus();
        g->selectAll();
        QTest::keyClicks(g, QStringLiteral("9,75"));
        QCOMPARE(g->text(), QStringLiteral("9.75"));
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));

        // Escape undoes the typing and forgets it: the box is not written.
        QLineEdit* vz = dlg.Edits[4];
        vz->setFocus();
        vz->end(false);
        QTest::keyClicks(vz, QStringLiteral("12"));
        QCOMPARE(vz->text(), QStringLiteral("0,512"));
        QTest::keyClick(vz, Qt::Key_Escape);
        QCOMPARE(vz->text(), QStringLiteral("0,5"));
        QVERIFY(!vz->isModified());
        QVERIFY(!vz->isUndoAvailable());
        QVERIFY(dlg.isVisible());
        // Enter moves on to the next box.
        QTest::keyClick(vz, Qt::Key_Return);
        QCOMPARE(dlg.focusWidget(), dlg.Edits[5]);

        // With nothing left to undo, Escape closes the dialog and writes nothing.
        {
            TParamPhysDlg autre;
            autre.Remplit(F->Moteur().Fisik);
            autre.show();
            autre.Edits[2]->setFocus();
            QTest::keyClick(autre.Edits[2], Qt::Key_Escape);
            QVERIFY(!autre.isVisible());
            QCOMPARE(autre.result(), int(QDialog::Rejected));
        }

        // A box that does not convert stops the writing there: the earlier boxes are
        // written, the later ones are not.
        dlg.Edits[1]->setText(QStringLiteral("3,5"));
        dlg.Edits[1]->setModified(true);
        dlg.Edits[9]->clear();
        dlg.Edits[9]->setModified(true);
        dlg.Edits[12]->setText(QStringLiteral("0,1"));
        dlg.Edits[12]->setModified(true);
        TPARAMPHYS f;
        f.G = 0.0;
        QVERIFY(!dlg.Applique(f, *D));
        QCOMPARE(f.HautBdes(), 3.5);
        QCOMPARE(f.MasseBilles, 2.5);
        QCOMPARE(f.VzRebondNul, 0.5);
        QCOMPARE(f.FrotBiBi, 0.03);
        QCOMPARE(f.ElastBiBi, 0.87);
        QCOMPARE(f.G, 0.0); // "9.75" was never reached
        QCOMPARE(D->Messages.back().Texte,
                 QStringLiteral("'' n'est pas une valeur en virgule flottante correcte"));
    }

    void constantesDepuisLeMenu() {
        DansLeDialogue([](TParamPhysDlg& dlg) {
            dlg.Edits[0]->setText(QStringLiteral("100"));
            dlg.Edits[0]->setModified(true);
            dlg.Edits[2]->setText(QStringLiteral("2,5"));
            dlg.Edits[2]->setModified(true);
            dlg.BitBtn1->click();
        });
        Action(*F, "ParamPhysMnu")->trigger();
        QCOMPARE(F->Moteur().Fisik.largeurJeu(), 100.0);
        QCOMPARE(F->BillardGraph()->bhDim().Jeu(), 100.0);
        QCOMPARE(F->BillardGraph()->bhDim().RayonBilles(), 2.5);
        // A failing box leaves the table's dimensions as they were.
        DansLeDialogue([](TParamPhysDlg& dlg) {
            dlg.Edits[0]->setText(QStringLiteral("120"));
            dlg.Edits[0]->setModified(true);
            dlg.Edits[1]->setText(QStringLiteral("1,2,3"));
            dlg.Edits[1]->setModified(true);
            dlg.BitBtn1->click();
        });
        Action(*F, "ParamPhysMnu")->trigger();
        QCOMPARE(F->Moteur().Fisik.largeurJeu(), 120.0);
        QCOMPARE(F->BillardGraph()->bhDim().Jeu(), 100.0);
    }

    // --- Numerical view ---------------------------------------------------------------------

    void texteDesValeurs() {
        QCOMPARE(TexteValeur(0.00005), QStringLiteral("0,0000500"));
        QCOMPARE(TexteValeur(-0.0001), QStringLiteral("-0,0001000"));
        QCOMPARE(TexteValeur(0.00015), QStringLiteral("0,00015"));
        QCOMPARE(TexteValeur(0.0), QStringLiteral("0"));
        QCOMPARE(TexteValeur(1234567.125), QStringLiteral("1234567,125"));
    }

    void vueAvantToutCoup() {
        // Before any shot the balls stand still: not "Vole", the zero of the records.
        Action(*F, "VueNumMnu")->trigger();
        V().BarPosChange();
        for (QLabel* etat : {V().EtatLbl1, V().EtatLbl2, V().EtatLbl3})
            QCOMPARE(etat->text(), QStringLiteral("Arret"));
    }

    void vueApresUnCoup() {
        F->Tire();
        const TBillardAlveran& m = F->Moteur();
        QVERIFY(m.NbEnr > 10);
        QCOMPARE(V().BarPos->maximum(), m.NbEnr);
        QCOMPARE(V().BarPos->value(), 0);
        QCOMPARE(V().windowTitle(), QStringLiteral("pos No 0 temps = 0,0000"));
        QCOMPARE(V().Boite(1, 4)->text(), TexteValeur(m.Trajets[1][0].Vitesse.x));
        QCOMPARE(V().Boite(1, 456)->text(), TexteValeur(Norme(m.Trajets[1][0].Vitesse)));
        QCOMPARE(V().EtatLbl1->text(), QString::fromUtf8(TexteMouvement(m.EtatsEnr[1][0])));

        // The slider moves the balls on the main table to the chosen record.
        const int k = m.NbEnr / 2;
        V().BarPos->setValue(k);
        for (int b = 1; b <= 3; ++b) {
            const TPointTable p = F->BilleMoteur(b)->PosCm();
            QVERIFY(std::abs(p.x - m.Trajets[b][k].Position.x) < 1e-9);
            QVERIFY(std::abs(p.y - m.Trajets[b][k].Position.y) < 1e-9);
        }
        QVERIFY(V().windowTitle().startsWith(QStringLiteral("pos No %1 temps = ").arg(k)));
        QVERIFY(V().windowTitle().contains(QStringLiteral(" dt = ")));
        QCOMPARE(V().AdhLbl->text(),
                 QStringLiteral("coef adhérence : ") + General15(m.Adherences[k]));
        // Opening the view does not take back a ball the user has moved since the shot.
        V().hide();
        F->BilleMoteur(2)->DeplaceCm({10, 20});
        V().show();
        QCOMPARE(F->BilleMoteur(2)->PosCm(), (TPointTable{10, 20}));
        // The arrows stay within 0 … NbEnr.
        V().BarPos->setValue(m.NbEnr);
        V().RightBtn->click();
        QCOMPARE(V().BarPos->value(), m.NbEnr);
        V().LeftBtn->click();
        QCOMPARE(V().BarPos->value(), m.NbEnr - 1);
    }

    void listeDesChocs() {
        TBillardAlveran& m = F->Moteur();
        m.NbEnr = 300;
        for (int i = 0; i <= 300; ++i) {
            m.TypesChoc[i] = i % 2 ? cBilleBande : cAucun;
            m.Temps[i] = 0.01 * i;
            m.Contres[i] = 0;
        }
        m.Temps[40] = 0.0;
        m.Contres[3] = 2;
        V().ListeChocs();
        const QString chocs = V().ChocLbl->text();
        QVERIFY(chocs.startsWith(QStringLiteral("choc(s) en i = 1, 3, 5, ")));
        QVERIFY(chocs.endsWith(QStringLiteral(",  (...)")));
        QCOMPARE(chocs.count(QStringLiteral("(...)")), 1);
        QVERIFY(chocs.size() < 220);
        QCOMPARE(V().dtNegLbl->text(), QStringLiteral("dt < 0 en  i=40"));
        V().FormShow();
        V().BarPos->setValue(3);
        QCOMPARE(V().TypeChocLbl->text(), QStringLiteral("choc Bille Bande (b1 contre 2)"));
    }

    void feuDepuisLesPanneaux() {
        F->Tire();
        TBillardAlveran& m = F->Moteur();
        V().CalculTrajetsBtn->click();
        QCOMPARE(N.Calculs, 2);
        const int nbEnr = m.NbEnr;
        const TCinematique fin = m.Trajets[1][nbEnr];
        // A typed norm is not read back: the same computation again.
        V().Boite(1, 456)->setText(QStringLiteral("999"));
        V().CalculTrajetsBtn->click();
        QCOMPARE(m.NbEnr, nbEnr);
        QVERIFY(MemeEnregistrement(m.Trajets[1][nbEnr], fin));
        // A typed component is: the cue ball starts slower.
        const double vy = m.Trajets[1][0].Vitesse.y;
        V().Boite(1, 5)->setText(QLocale().toString(vy / 2, 'g', 12));
        V().CalculTrajetsBtn->click();
        QVERIFY(std::abs(m.Trajets[1][0].Vitesse.y - vy / 2) < 1e-9 * std::abs(vy));
        QVERIFY(!MemeEnregistrement(m.Trajets[1][m.NbEnr], fin));
        QCOMPARE(N.Frappes, 1); // never a cue strike
        QCOMPARE(Messages(QStringLiteral("dbAlv n'est pas ouvert")), 0);

        // F9 sends the shot without "Auto"; "Feu !" only with it.
        QTest::keyRelease(&V(), Qt::Key_F9);
        QTRY_COMPARE(Messages(QStringLiteral("dbAlv n'est pas ouvert")), 1);
        Action(*F, "dbAlvAutoMnu")->trigger();
        V().CalculTrajetsBtn->click();
        QTRY_COMPARE(Messages(QStringLiteral("dbAlv n'est pas ouvert")), 2);

        // A box that does not convert: the earlier panels are in record 0, nothing computed.
        const int calculs = N.Calculs;
        V().Boite(1, 1)->setText(QStringLiteral("12,5"));
        V().Boite(2, 2)->setText(QStringLiteral("abc"));
        V().CalculTrajetsBtn->click();
        QCOMPARE(N.Calculs, calculs);
        QCOMPARE(m.Trajets[1][0].Position.x, 12.5);
        QCOMPARE(D->Messages.back().Texte,
                 QStringLiteral("'abc' n'est pas une valeur en virgule flottante correcte"));
    }

    void f9RelacheDansUneBoiteDeLaVue() {
        // The view sees F9 before its controls: released while a value box has the focus, it
        // still computes from the panels and sends the shot.
        F->Tire();
        QTest::keyRelease(V().Boite(1, 4), Qt::Key_F9);
        QCOMPARE(N.Calculs, 2);
        QCOMPARE(N.Frappes, 1);
        QTRY_COMPARE(Messages(QStringLiteral("dbAlv n'est pas ouvert")), 1);
        // A release repeated by a held key is not a release.
        QTest::keyRelease(V().BarPos, Qt::Key_F9, Qt::NoModifier);
        QCOMPARE(N.Calculs, 3);
        QKeyEvent repetee(QEvent::KeyRelease, Qt::Key_F9, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(V().Boite(2, 1), &repetee);
        QCOMPARE(N.Calculs, 3);
    }

    void doubleClicHorsDesTitres() {
        // The view watches every window's keys; other labels keep their double clicks.
        struct TEtiquette : QLabel {
            int DoubleClics = 0;
            void mouseDoubleClickEvent(QMouseEvent*) override { ++DoubleClics; }
        } ailleurs;
        ailleurs.setProperty("Tag", 12);
        ailleurs.show();
        QTest::mouseDClick(&ailleurs, Qt::LeftButton);
        QCOMPARE(ailleurs.DoubleClics, 1);
        QVERIFY(!E().isVisible());
    }

    void copieDeLEnregistrementZero() {
        F->Tire();
        V().CopyBtn->click();
        const QString texte = QGuiApplication::clipboard()->text();
        QVERIFY(!texte.endsWith(QStringLiteral("\r\n")));
        const QStringList lignes = texte.split(QStringLiteral("\r\n"));
        QCOMPARE(lignes.size(), 17);
        QCOMPARE(lignes[0], QStringLiteral("0"));
        QCOMPARE(lignes[1], QStringLiteral("0"));
        QCOMPARE(lignes[2], V().Boite(1, 1)->text());
        QCOMPARE(lignes[8], V().Boite(1, 6)->text());
        QCOMPARE(lignes[12], V().Boite(1, 9)->text());
        for (int vide : {5, 9, 13}) QVERIFY(lignes[vide].isEmpty());
        QCOMPARE(lignes[14], V().EtatLbl1->text());
        QCOMPARE(lignes[15], V().TypeChocLbl->text());
        QCOMPARE(lignes[16], General15(F->Moteur().Adherences[0]));
    }

    // --- Vector editor ----------------------------------------------------------------------

    void editeurOuvertParDoubleClic() {
        F->Tire();
        V().BarPos->setValue(2);
        QTest::mouseDClick(V().Titres[1], Qt::LeftButton);
        QVERIFY(E().isVisible());
        QCOMPARE(E().NoBilleLbl->text(), QStringLiteral("1"));
        QCOMPARE(E().pvrLbl->text(), QStringLiteral("Vitesse"));
        QCOMPARE(E().IndiceLbl->text(), QStringLiteral("2"));
        QCOMPARE(E().VecteurEdite(), &F->Moteur().Trajets[1][2].Vitesse);
        QVERIFY(E().JouerCheck->isChecked());
        V().Label31DblClick(V().Titres[8]);
        QCOMPARE(E().VecteurEdite(), &F->Moteur().Trajets[3][2].Rotation);
    }

    void editeurNormeEtAngles() {
        F->Tire();
        E().JouerCheck->setChecked(false);
        TVecteur& v = F->Moteur().Trajets[2][0].Vitesse;
        v = {3, 4, 0};
        E().Edite(2, QStringLiteral("Vitesse"), &v, 0);
        QCOMPARE(E().nEdit->text(), QStringLiteral("5"));
        QCOMPARE(E().OzEdit->text(), QStringLiteral("0"));
        E().show();
        // Leaving a field without typing changes nothing.
        E().nEdit->setFocus();
        E().OxEdit->setFocus();
        QCOMPARE(v.x, 3.0);
        // The norm: 0 makes the vector zero, a norm afterwards lies along x.
        E().nEdit->setFocus();
        E().nEdit->selectAll();
        QTest::keyClicks(E().nEdit, QStringLiteral("0"));
        QTest::keyClick(E().nEdit, Qt::Key_Return);
        QVERIFY(v.x == 0 && v.y == 0 && v.z == 0);
        QCOMPARE(V().Boite(2, 4)->text(), QStringLiteral("0"));
        E().nEdit->selectAll();
        QTest::keyClicks(E().nEdit, QStringLiteral("7.5"));
        QCOMPARE(E().nEdit->text(), QStringLiteral("7,5"));
        QTest::keyClick(E().nEdit, Qt::Key_Return);
        QVERIFY(v.x == 7.5 && v.y == 0 && v.z == 0);
        QCOMPARE(N.Calculs, 1); // "jouer les modifs" unchecked: no computation

        // (0, 5, 0) reads 0 in Ox; 90 there keeps it along y.
        v = {0, 5, 0};
        E().FormActivate();
        QCOMPARE(E().OxEdit->text(), QStringLiteral("0"));
        E().OxEdit->setFocus();
        E().OxEdit->selectAll();
        QTest::keyClicks(E().OxEdit, QStringLiteral("90"));
        E().OzEdit->setFocus(); // applied on leaving the field
        QVERIFY(std::abs(v.x) < 1e-12);
        QVERIFY(std::abs(v.y - 5) < 1e-12);
        // Oz 30 on (0, 5, 0): half the norm goes up, the rest stays along y.
        v = {0, 5, 0};
        E().OzEdit->selectAll();
        QTest::keyClicks(E().OzEdit, QStringLiteral("30"));
        QTest::keyClick(E().OzEdit, Qt::Key_Return);
        QVERIFY(std::abs(v.z - 2.5) < 1e-12);
        QVERIFY(std::abs(v.y - 5 * std::cos(std::numbers::pi / 6)) < 1e-12);
        QVERIFY(std::abs(v.x) < 1e-12);
        // Oz on a vertical vector tips it towards x.
        v = {0, 0, 2};
        E().FormActivate();
        QCOMPARE(E().OzEdit->text(), QStringLiteral("90"));
        E().OzEdit->selectAll();
        QTest::keyClicks(E().OzEdit, QStringLiteral("0"));
        QTest::keyClick(E().OzEdit, Qt::Key_Return);
        QVERIFY(std::abs(v.x - 2) < 1e-12 && v.y == 0 && std::abs(v.z) < 1e-12);
        // Not a number: an error box, nothing changed.
        E().nEdit->setFocus();
        E().nEdit->selectAll();
        QTest::keyClicks(E().nEdit, QStringLiteral("-"));
        QTest::keyClick(E().nEdit, Qt::Key_Return);
        QVERIFY(std::abs(v.x - 2) < 1e-12);
        QCOMPARE(D->Messages.back().Texte,
                 QStringLiteral("'-' n'est pas une valeur en virgule flottante correcte"));
        QCOMPARE(N.Calculs, 1);
    }

    void editeurJoueLesModifs() {
        F->Tire();
        const int nbEnr = F->Moteur().NbEnr;
        V().Label31DblClick(V().Titres[1]); // ball 1's velocity at record 0
        const double n = Norme(F->Moteur().Trajets[1][0].Vitesse);
        E().nEdit->setFocus();
        E().nEdit->selectAll();
        QTest::keyClicks(E().nEdit, QLocale().toString(n / 4, 'g', 12));
        QTest::keyClick(E().nEdit, Qt::Key_Return);
        QCOMPARE(N.Calculs, 2);
        QCOMPARE(N.Frappes, 1);
        QVERIFY(std::abs(Norme(F->Moteur().Trajets[1][0].Vitesse) - n / 4) < 1e-6 * n);
        QCOMPARE(V().Boite(1, 456)->text(), TexteValeur(Norme(F->Moteur().Trajets[1][0].Vitesse)));
        QVERIFY(F->Moteur().NbEnr != nbEnr || F->Moteur().Temps[nbEnr] > 0);
    }
};

QTEST_MAIN(TestFenetresAnalyse)
#include "test_fenetres_analyse.moc"
