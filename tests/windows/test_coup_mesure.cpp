// Tracked shots in the windows: a synthetic tracked file imported through the menu, its
// samples drawn as dots, the stroke fitted in the background and fired over them, the refusal
// of a bad file, and the measured match table's constants in the constants dialog.

#include "analysis/TableDeMatch.h"
#include "support/Actions.h"
#include "support/CoupsSynthetiques.h"
#include "support/DialoguesScriptes.h"
#include "support/FenetrePrincipale.h"
#include "ui/CIbh3billes.h"
#include "ui/CIbi.h"
#include "windows/AjusteConstantes.h"
#include "windows/Calibrage.h"
#include "windows/ImportTrajectoire.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"
#include "windows/ParamPhysBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr double Degre = std::numbers::pi / 180;
/// A background fit of one shot takes well under a second; the margin is for a loaded machine.
constexpr int AttenteFitMs = 60000;

/// Writes `texte` as a file of `dossier` and returns its name.
QString EcritFichier(const QTemporaryDir& dossier, const char* nom, const std::string& texte) {
    const QString chemin = dossier.filePath(QString::fromLatin1(nom));
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(chemin));
    f.write(texte.data(), static_cast<qint64>(texte.size()));
    return chemin;
}

/// The RMSE written in the result text's tracked-shot line, or a negative value.
double EcartDuTexte(const QString& texte) {
    const QString debut = QStringLiteral("Écart aux mesures : ");
    const qsizetype i = texte.indexOf(debut);
    if (i < 0) return -1;
    const QString reste = texte.mid(i + debut.size()).section(QLatin1Char(' '), 0, 0);
    bool ok = false;
    const double v = QLocale().toDouble(reste, &ok);
    return ok ? v : -1;
}

} // namespace

class TestCoupMesure : public TTestFenetre {
    Q_OBJECT

  private:
    QTemporaryDir Dossier;
    synthetique::TCoupSynthetique S;

    /// Imports S's tracked shot through the menu.
    void Importe() {
        D->AjouteReponse(EcritFichier(Dossier, "coup.csv", S.Csv));
        Action(*F, "ImporterTrajectoireMnu")->trigger();
    }

  private slots:
    void initTestCase() {
        // Seed 3: a shot whose fit the analysis tests follow closely too.
        synthetique::TAlea alea(3);
        S = synthetique::Genere(alea, TPARAMPHYS());
    }

    void init() { QVERIFY(OuvreFenetre({.Montre = true})); }

    void cleanup() { FermeFenetre(); }

    void importeMontreLesRelevesEtPlaceLesBilles() {
        QVERIFY(!Action(*F, "AjusterCoupMnu")->isEnabled());
        Importe();
        QVERIFY(D->Messages.empty());
        QVERIFY(F->TrajectoireChargee());
        QVERIFY(Action(*F, "AjusterCoupMnu")->isEnabled());
        QCOMPARE(D->FiltresDemandes.back(),
                 QStringList{QStringLiteral("Trajectoire mesurée (*.csv)")});

        const auto& releves = F->BillardGraph()->Releves();
        for (std::size_t b = 1; b <= 3; ++b) QCOMPARE(releves[b].size(), S.Mesure.Billes[b].size());
        // The cue ball stands where the tracking first sees it.
        const TPointTable p = F->BilleMoteur(1)->PosCm();
        QVERIFY(std::hypot(p.x - S.Mesure.Billes[1][0].x, p.y - S.Mesure.Billes[1][0].y) < 1e-9);

        // The cue ball's dots are in its colour on the picture (but where a ball covers them;
        // close dots overlap, so the colour is looked for around each centre).
        const QImage& image = F->BillardGraph()->Image();
        const QRgb couleur = F->BilleMoteur(1)->cl().rgb();
        const auto couleurAutour = [&](QPoint c) {
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    if (image.pixel(c + QPoint(dx, dy)) == couleur) return true;
            return false;
        };
        int vus = 0, caches = 0;
        for (const TPointTable& r : releves[1]) {
            const QPoint c = F->BillardGraph()->CmVersPixels(r);
            if (F->BillardGraph()->BilleEnPixel(c.x(), c.y()) != nullptr) {
                ++caches;
                continue;
            }
            if (couleurAutour(c)) ++vus;
        }
        QVERIFY2(vus >= 0.9 * static_cast<double>(releves[1].size() - caches),
                 qPrintable(QStringLiteral("%1 of %2").arg(vus).arg(releves[1].size())));

        // Delete clears the table: no dots, nothing left to fit.
        QTest::keyClick(F.get(), Qt::Key_Delete);
        QVERIFY(!F->TrajectoireChargee());
        QVERIFY(!F->BillardGraph()->RelevesAffiches());
        QVERIFY(!Action(*F, "AjusterCoupMnu")->isEnabled());
    }

    void ajusteLeCoupEtAfficheLEcart() {
        Importe();
        Action(*F, "AjusterCoupMnu")->trigger();
        // The fit runs in the background: the menu item waits for it, the window stays live.
        QVERIFY(F->TacheAjustement().EnCours());
        QVERIFY(!Action(*F, "AjusterCoupMnu")->isEnabled());
        QVERIFY(F->TacheAjustement().Fenetre->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!F->TacheAjustement().EnCours(), AttenteFitMs);
        QVERIFY(Action(*F, "AjusterCoupMnu")->isEnabled());
        QVERIFY(!F->TacheAjustement().Fenetre->isVisible());

        // The shot fired is the fitted one, over the dots, within the tracking noise.
        QVERIFY2(F->EcartMesure() >= 0 && F->EcartMesure() < 0.5,
                 qPrintable(QString::number(F->EcartMesure())));
        const double ecart = EcartDuTexte(F->TexteDernierResultat());
        QVERIFY(std::abs(ecart - F->EcartMesure()) <= 0.005);
        QVERIFY(F->PointLbl()->text().contains(QStringLiteral("Écart aux mesures")));
        QVERIFY(F->LignesTracees());
        QVERIFY(F->BillardGraph()->RelevesAffiches());

        // The stroke is the fitted one, exactly, close to the one tracked.
        const TCoupQueue c = F->Coup();
        QVERIFY(c == F->Moteur().Coup);
        QVERIFY(std::abs(std::remainder(c.AngleOx - S.Coup.AngleOx, 2 * std::numbers::pi)) <
                0.5 * Degre);
        QVERIFY2(std::abs(c.Vq - S.Coup.Vq) < 0.05 * S.Coup.Vq,
                 qPrintable(QStringLiteral("%1 / %2").arg(c.Vq).arg(S.Coup.Vq)));

        // The next shot fired from the controls is theirs, without the tracked-shot line.
        QTest::keyClick(F.get(), Qt::Key_Space);
        QCOMPARE(EcartDuTexte(F->TexteDernierResultat()), -1.0);

        // Shown in the user's format.
        QCOMPARE(TexteEcartMesure(0.4321, QLocale(QLocale::French, QLocale::France)),
                 QStringLiteral("Écart aux mesures : 0,43 cm"));
    }

    void unArretRendLaMainSansBloquer() {
        Importe();
        Action(*F, "AjusterCoupMnu")->trigger();
        QTest::mouseClick(F->TacheAjustement().InterrompreBtn, Qt::LeftButton);
        QVERIFY(F->TacheAjustement().Interrompue());
        QTRY_VERIFY_WITH_TIMEOUT(!F->TacheAjustement().EnCours(), AttenteFitMs);
        QVERIFY(Action(*F, "AjusterCoupMnu")->isEnabled());
    }

    void unFichierRefuseLeDitEnNommantLaLigne() {
        Importe();
        D->AjouteReponse(
            EcritFichier(Dossier, "mauvais.csv", "t,bille,x,y\n0,1,10,20\n0.02,4,10,21\n"));
        Action(*F, "ImporterTrajectoireMnu")->trigger();
        QCOMPARE(D->Messages.size(), std::size_t{1});
        QCOMPARE(D->Messages[0].Titre, QStringLiteral("Erreur"));
        QVERIFY2(D->Messages[0].Texte.contains(QStringLiteral("mauvais.csv")) &&
                     D->Messages[0].Texte.contains(QStringLiteral("ligne 3")),
                 qPrintable(D->Messages[0].Texte));
        // The shot loaded before stays, dots and all.
        QVERIFY(F->TrajectoireChargee());
        QCOMPARE(F->BillardGraph()->Releves()[1].size(), S.Mesure.Billes[1].size());

        D->AjouteReponse(Dossier.filePath(QStringLiteral("absent.csv")));
        Action(*F, "ImporterTrajectoireMnu")->trigger();
        QCOMPARE(D->Messages.size(), std::size_t{2});
        QVERIFY(D->Messages[1].Texte.startsWith(QStringLiteral("Impossible de lire")));
    }

    void chargerUnePositionOublieLesReleves() {
        Importe();
        F->Moteur().Trajets[1][0].Position = {0, -50, 3};
        const QString nom = Dossier.filePath(QStringLiteral("p.alv"));
        std::string erreur;
        F->Moteur().EcritPositionQueue(QFile::encodeName(nom).toStdString(), erreur);
        QVERIFY(erreur.empty());
        D->AjouteReponse(nom);
        Action(*F, "ChargerMnu")->trigger();
        QVERIFY(!F->TrajectoireChargee());
        QVERIFY(!F->BillardGraph()->RelevesAffiches());
    }

    void ajusteDesConstantesNAppliqueQuSurDemande() {
        // Three shots of a table whose cushions give back less than the defaults say.
        TPARAMPHYS vraie;
        const int elast = TPARAMPHYS::IndiceParametre("ElastBiBde");
        vraie.SetParametre(elast, 0.72);
        QStringList noms;
        for (uint64_t graine : {3, 4, 5}) {
            synthetique::TAlea alea(graine);
            const QByteArray nom = QStringLiteral("c%1.csv").arg(graine).toLatin1();
            noms << EcritFichier(Dossier, nom.constData(), synthetique::Genere(alea, vraie).Csv);
        }

        QTest::mouseClick(F->CalibreFrm()->AjusteBtn, Qt::LeftButton);
        TAjusteConstantesFrm* a = F->CalibreFrm()->AjusteFrm();
        QVERIFY(a != nullptr && a->isVisible());
        // A short search: the test checks the window's course, the analysis tests the fit.
        a->Options.CandidatsMax = 10;
        a->Options.EvaluationsRaffinage = 40;
        D->AjouteReponses(noms);
        QTest::mouseClick(a->FichiersBtn, Qt::LeftButton);
        QCOMPARE(a->FichiersLst->count(), 3);
        // The boxes say what the constants dialog says, not the code names.
        for (QCheckBox* c : a->Constantes) {
            QVERIFY2(c->text() != c->objectName() && c->text().contains(QStringLiteral(" : ")),
                     qPrintable(c->text()));
            c->setChecked(c->text() == QStringLiteral("Elasticités : bille-bande"));
        }
        a->HorsAjustementSpin->setValue(34);

        QTest::mouseClick(a->LancerBtn, Qt::LeftButton);
        QVERIFY(a->Tache().EnCours());
        QVERIFY(!a->LancerBtn->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!a->Tache().EnCours(), AttenteFitMs);
        QVERIFY(D->Messages.empty());
        const QString texte = a->ResultatsTxt->toPlainText();
        QVERIFY2(texte.contains(QStringLiteral("Coups ajustés : 2")) &&
                     texte.contains(QStringLiteral("Médiane des écarts : ")) &&
                     texte.contains(QStringLiteral("Hors ajustement (1 coups), médiane : ")) &&
                     texte.contains(QStringLiteral("Elasticités : bille-bande : 0.8 → ")),
                 qPrintable(texte));
        QCOMPARE(a->IndicesAjustes(), std::vector<int>{elast});
        const double trouvee = a->ValeursAjustees().at(0);
        QVERIFY2(trouvee < 0.79, qPrintable(QString::number(trouvee)));

        // Nothing reaches the engine before the user applies it.
        QCOMPARE(F->Moteur().Fisik.Parametre(elast), TPARAMPHYS::Defaut(elast));
        QVERIFY(a->AppliquerBtn->isEnabled());
        QTest::mouseClick(a->AppliquerBtn, Qt::LeftButton);
        QCOMPARE(F->Moteur().Fisik.Parametre(elast), trouvee);
        QVERIFY(!a->AppliquerBtn->isEnabled());
        // The constants dialog then shows the fitted value from its leading digits.
        TParamPhysDlg dlg;
        dlg.Remplit(F->Moteur().Fisik);
        QLineEdit* champ = dlg.Edits[static_cast<std::size_t>(elast)];
        QCOMPARE(champ->cursorPosition(), 0);
        QCOMPARE(LibelleConstante(elast), QStringLiteral("Elasticités : bille-bande"));
        QCOMPARE(LibelleConstante(TPARAMPHYS::IndiceParametre("FrotBiTapGlisse")),
                 QStringLiteral("Frottements Bille-Tapis : glissementt"));
        QCOMPARE(LibelleConstante(18), QStringLiteral("pesanteur"));
    }

    void ajustementDeConstantesRefuseUnMauvaisFichier() {
        QTest::mouseClick(F->CalibreFrm()->AjusteBtn, Qt::LeftButton);
        TAjusteConstantesFrm* a = F->CalibreFrm()->AjusteFrm();
        // Nothing chosen: said, nothing started.
        QVERIFY(!a->LancerBtnClick());
        QCOMPARE(D->Messages.back().Texte, QStringLiteral("Aucune trajectoire choisie"));
        D->AjouteReponses({EcritFichier(Dossier, "bon.csv", S.Csv),
                           EcritFichier(Dossier, "faux.csv", "t,bille,x,y\n0,1,a,2\n")});
        QTest::mouseClick(a->FichiersBtn, Qt::LeftButton);
        QVERIFY(!a->LancerBtnClick());
        QVERIFY(!a->Tache().EnCours());
        QVERIFY2(D->Messages.back().Texte.contains(QStringLiteral("faux.csv")) &&
                     D->Messages.back().Texte.contains(QStringLiteral("ligne 2")),
                 qPrintable(D->Messages.back().Texte));
        for (QCheckBox* c : a->Constantes) c->setChecked(false);
        QVERIFY(!a->LancerBtnClick());
        QCOMPARE(D->Messages.back().Texte, QStringLiteral("Aucune constante à ajuster"));
    }

    void boutonTableDeMatch() {
        TParamPhysDlg dlg;
        TPARAMPHYS fisik;
        dlg.Remplit(fisik);
        QCOMPARE(dlg.TableDeMatchBtn->text(), QStringLiteral("Table de match (mesurée)"));
        QTest::mouseClick(dlg.TableDeMatchBtn, Qt::LeftButton);
        const int elast = TPARAMPHYS::IndiceParametre("ElastBiBde");
        QCOMPARE(dlg.Edits[static_cast<std::size_t>(elast)]->text(), QStringLiteral("0.85"));
        TDialoguesScriptes d;
        QVERIFY(dlg.Applique(fisik, d));
        TPARAMPHYS attendu;
        AppliqueTableDeMatch(attendu);
        for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
            QCOMPARE(fisik.Parametre(i), attendu.Parametre(i));
        QVERIFY(fisik.Parametre(elast) != TPARAMPHYS::Defaut(elast));

        // "Defaut" still gives the published values back.
        QTest::mouseClick(dlg.DefautBtn, Qt::LeftButton);
        QVERIFY(dlg.Applique(fisik, d));
        for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
            QCOMPARE(fisik.Parametre(i), TPARAMPHYS().Parametre(i));
    }
};

QTEST_MAIN(TestCoupMesure)
#include "test_coup_mesure.moc"
