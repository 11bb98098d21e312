// The solution-search window driven as a user would: a small grid searched in the background,
// a family or a map cell played in the main window, an interruption that keeps what was found,
// and the map saved through the dialogs service.

#include "windows/Recherche.h"
#include "analysis/ComdbAlv.h"
#include "analysis/RouteEnMots.h"
#include "support/Actions.h"
#include "support/Compteurs.h"
#include "support/DialoguesScriptes.h"
#include "support/FenetrePrincipale.h"
#include "ui/CIbh3billes.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

/// Long enough for any grid of these tests on a loaded two-core machine.
constexpr int AttenteMax = 120000;

} // namespace

class TestRechercheFrm : public TTestFenetre {
    Q_OBJECT

    TRechercheFrm* R = nullptr;

    /// A position where many strokes make the point in free mode: the cue ball 20 cm below two
    /// balls that nearly touch.
    void PositionFacile() {
        Action(*F, "LibreMnu")->trigger();
        F->BilleMoteur(1)->DeplaceCm({0, -20});
        F->BilleMoteur(2)->DeplaceCm({-3.3, 0});
        F->BilleMoteur(3)->DeplaceCm({3.3, 0});
    }

    /// Aim 70° to 110° by 1°, three effects, one height, two speeds: 240 strokes.
    void PetiteGrille() {
        R->ViseeDeTxt->setText(QStringLiteral("70"));
        R->ViseeATxt->setText(QStringLiteral("110"));
        R->ViseePasTxt->setText(QStringLiteral("1"));
        R->EffetDeTxt->setText(QStringLiteral("-0,5"));
        R->EffetATxt->setText(QStringLiteral("0,5"));
        R->EffetUD->setValue(3);
        R->HauteurDeTxt->setText(QStringLiteral("0"));
        R->HauteurATxt->setText(QStringLiteral("0"));
        R->HauteurUD->setValue(1);
        R->VitesseDeTxt->setText(QStringLiteral("250"));
        R->VitesseATxt->setText(QStringLiteral("350"));
        R->VitesseUD->setValue(2);
    }

    bool Cherche() {
        QSignalSpy fin(R, &TRechercheFrm::RechercheTerminee);
        R->ChercheBtn->click();
        if (R->Phase == TRechercheFrm::TPhase::Repos) return false;
        return fin.wait(AttenteMax);
    }

    /// The first family item of the tree (the largest family of the first route).
    QTreeWidgetItem* PremiereFamille() {
        for (int r = 0; r < R->RoutesArb->topLevelItemCount(); ++r)
            if (R->RoutesArb->topLevelItem(r)->childCount() > 0)
                return R->RoutesArb->topLevelItem(r)->child(0);
        return nullptr;
    }

    void Clique(QTreeWidgetItem* item) {
        R->RoutesArb->expandAll();
        R->RoutesArb->scrollToItem(item);
        const QRect rect = R->RoutesArb->visualItemRect(item);
        QTest::mouseClick(R->RoutesArb->viewport(), Qt::LeftButton, {}, rect.center());
    }

  private slots:
    void init() {
        QVERIFY(OuvreFenetre({.Locale = QLocale(QLocale::French, QLocale::France)}));
        R = F->RechercheFrm();
        Action(*F, "RechercheMnu")->trigger();
    }

    void cleanup() { FermeFenetre(); }

    void ouverteDepuisLeMenuAvecLaGrilleParDefaut() {
        QVERIFY(R->isVisible());
        QCOMPARE(R->windowTitle(), QStringLiteral("Recherche de solutions"));
        // The whole circle in half degrees, in the user's decimal format.
        QCOMPARE(R->ViseeDeTxt->text(), QStringLiteral("-180"));
        QCOMPARE(R->ViseePasTxt->text(), QStringLiteral("0,5"));
        QCOMPARE(R->EffetUD->value(), 9);
        QCOMPARE(R->VitesseUD->value(), 6);
        QVERIFY(!R->StopBtn->isEnabled());
        // Untouched, the fields give the command line's default grid to the last bit (±0.8 R
        // is the decimal 2.46, as shown).
        TGrilleRecherche lue;
        QVERIFY(R->LitGrille(lue));
        const TGrilleRecherche d = GrilleRechercheDefaut(F->Moteur().Fisik.RayonBilles());
        // QCOMPARE would compare these doubles fuzzily: the last bit is the point here.
        QVERIFY(lue.Effet.De == d.Effet.De && lue.Effet.A == d.Effet.A);
        QVERIFY(lue.Hauteur.De == d.Hauteur.De && lue.Hauteur.A == d.Hauteur.A);
        QVERIFY(lue.Vq.De == d.Vq.De && lue.Vq.A == d.Vq.A && lue.AngleOx.Pas == d.AngleOx.Pas);
        // A value typed by the user is read as typed.
        const QString montre = R->EffetATxt->text();
        R->EffetATxt->setText(QStringLiteral("2,5"));
        QVERIFY(R->LitGrille(lue));
        QVERIFY(lue.Effet.A == 2.5);
        R->EffetATxt->setText(montre);
    }

    void uneLongueRechercheEstAnnonceeEtDemandee() {
        // 7 200 aims × 30 effects × 30 heights × 15 speeds, about 90 million strokes: far more
        // than a minute on any machine. Announced, asked, and nothing starts on "non".
        R->ViseePasTxt->setText(QStringLiteral("0,05"));
        R->EffetUD->setValue(30);
        R->HauteurUD->setValue(30);
        R->VitesseUD->setValue(15);
        D->AjouteReponseQuestion(false);
        R->ChercheBtn->click();
        QCOMPARE(D->Questions.size(), size_t(1));
        QVERIFY2(D->Questions[0].contains(QStringLiteral(" coups à tirer, temps estimé ")),
                 qPrintable(D->Questions[0]));
        QCOMPARE(R->Phase, TRechercheFrm::TPhase::Repos);
        QVERIFY(R->ChercheBtn->isEnabled());

        // A small grid starts without a question.
        PositionFacile();
        PetiteGrille();
        QVERIFY(Cherche());
        QCOMPARE(D->Questions.size(), size_t(1));
    }

    void grilleIncorrecteRefuseeAvecUnMessage() {
        PetiteGrille();
        R->ViseeATxt->setText(QStringLiteral("60")); // ends before it starts
        R->ChercheBtn->click();
        QCOMPARE(R->Phase, TRechercheFrm::TPhase::Repos);
        QCOMPARE(D->Messages.size(), size_t{1});
        QVERIFY(D->Messages[0].Texte.contains(QStringLiteral("visée")));
        R->ViseeATxt->setText(QStringLiteral("abc"));
        R->ChercheBtn->click();
        QCOMPARE(D->Messages.size(), size_t{2});
    }

    void familleCliqueeJoueeDansLaFenetrePrincipale() {
        PositionFacile();
        PetiteGrille();
        QVERIFY(Cherche());
        QVERIFY(!R->Interrompue);
        QVERIFY(R->Coups.Reussis > 0);
        QVERIFY(R->EtatLbl->text().startsWith(QStringLiteral("Terminé")));
        // The tree holds every route, with its scoring strokes as counted.
        QCOMPARE(R->RoutesArb->topLevelItemCount(), static_cast<int>(R->Solutions.Routes.size()));
        int64_t somme = 0;
        for (const TRoute& route : R->Solutions.Routes) somme += route.Reussis;
        QCOMPARE(somme, R->Coups.Reussis);

        QTreeWidgetItem* famille = PremiereFamille();
        QVERIFY(famille);
        F->PointLbl()->clear();
        Clique(famille);
        QVERIFY2(F->PointLbl()->text().contains(QStringLiteral("Point réussi")),
                 qPrintable(F->PointLbl()->text()));
        // The main window aims and strikes as the family's central stroke.
        const int64_t centre = famille->data(0, Qt::UserRole).toLongLong();
        const auto i = DimensionsRecherche(R->Grille).Indices(centre);
        const TValeursRecherche v = ValeursRecherche(R->Grille);
        QCOMPARE(F->Moteur().Coup.AngleOx, v.Angles[static_cast<size_t>(i[0])]);
        QCOMPARE(F->Moteur().Coup.Effet, v.Effets[static_cast<size_t>(i[1])]);
        QCOMPARE(F->Moteur().Coup.Vq, v.Vitesses[static_cast<size_t>(i[3])]);
    }

    void routesEnMotsFamillesSansTrouEtEntreeJoue() {
        // With the yellow cue ball, the engine's "2" is the white ball: the tree must say so.
        Action(*F, "JauneMnu")->trigger();
        PositionFacile();
        PetiteGrille();
        R->ToleranceUD->setValue(1);
        QVERIFY(Cherche());
        QVERIFY(R->LegendeRoutesLbl->text().contains(QStringLiteral("2 : blanche, 3 : rouge")));
        QVERIFY(R->RoutesArb->topLevelItemCount() > 0);
        QTreeWidgetItem* route = R->RoutesArb->topLevelItem(0);
        const std::string sequence = R->Solutions.Routes.front().Sequence;
        QCOMPARE(route->text(0),
                 QString::fromStdString(sequence + " : " + RouteEnMots(sequence, bjJaune)));
        // Families numbered as listed, whatever the smaller ones left out.
        int attendu = 0;
        for (int r = 0; r < R->RoutesArb->topLevelItemCount(); ++r)
            for (int f = 0; f < R->RoutesArb->topLevelItem(r)->childCount(); ++f)
                QCOMPARE(R->RoutesArb->topLevelItem(r)->child(f)->text(0),
                         QStringLiteral("famille %1").arg(++attendu));
        // The largest family's tolerance count, with its trials and share, and the total.
        QTreeWidgetItem* famille = PremiereFamille();
        QVERIFY(famille);
        QVERIFY2(famille->text(4).contains(QStringLiteral(" %)")), qPrintable(famille->text(4)));
        QVERIFY(
            R->RoutesArb->headerItem()->text(4).startsWith(QStringLiteral("Tolérance (total ")));
        // Enter on the selected family plays it.
        R->RoutesArb->expandAll();
        R->RoutesArb->setFocus();
        R->RoutesArb->setCurrentItem(famille);
        F->PointLbl()->clear();
        QTest::keyClick(R->RoutesArb, Qt::Key_Return);
        QVERIFY2(F->PointLbl()->text().contains(QStringLiteral("Point réussi")),
                 qPrintable(F->PointLbl()->text()));
    }

    void familleJoueeEnTraceSimultaneeUnSeulTirExact() {
        PositionFacile();
        PetiteGrille();
        // Tips on exact values that no pixel of the cue control holds.
        R->EffetDeTxt->setText(QStringLiteral("0,5"));
        R->EffetATxt->setText(QStringLiteral("0,5"));
        R->EffetUD->setValue(1);
        R->HauteurDeTxt->setText(QStringLiteral("-0,37"));
        R->HauteurATxt->setText(QStringLiteral("-0,37"));
        QVERIFY(Cherche());
        QTreeWidgetItem* famille = PremiereFamille();
        QVERIFY(famille);
        const int route = R->RoutesArb->indexOfTopLevelItem(famille->parent());
        const std::string sequence = R->Solutions.Routes.at(static_cast<size_t>(route)).Sequence;
        Action(*F, "TraceSimultaneeMnu")->trigger();
        TCompteurs n;
        F->Moteur().ApresQueueBille = {&CompteFrappe, &n};
        Clique(famille);
        // One stroke set whole, one shot, scoring along the family's route.
        QCOMPARE(n.Frappes, 1);
        QCOMPARE(SequencePoint(F->Moteur()), sequence);
        const int64_t centre = famille->data(0, Qt::UserRole).toLongLong();
        const auto i = DimensionsRecherche(R->Grille).Indices(centre);
        // Bit for bit (QCOMPARE would compare doubles fuzzily).
        QVERIFY(F->Moteur().Coup.Effet == 0.5);
        QVERIFY(F->Moteur().Coup.Hauteur == -0.37);
        QVERIFY(F->Moteur().Coup.AngleOx ==
                ValeursRecherche(R->Grille).Angles[static_cast<size_t>(i[0])]);
        QVERIFY(F->Coup() == F->Moteur().Coup);
        F->Moteur().ApresQueueBille = {};
    }

    void caseDeLaCarteCliqueeJoueeCommeUneFamille() {
        PositionFacile();
        PetiteGrille();
        QVERIFY(Cherche());
        QVERIFY(!R->CarteImg->pixmap().isNull());
        // Pick the cell of the first listed family's centre on its own speed and height.
        QTreeWidgetItem* famille = PremiereFamille();
        QVERIFY(famille);
        const int64_t centre = famille->data(0, Qt::UserRole).toLongLong();
        const auto i = DimensionsRecherche(R->Grille).Indices(centre);
        R->VitesseCbx->setCurrentIndex(i[3] + 1);
        R->HauteurCbx->setCurrentIndex(i[2]);
        QCOMPARE(R->CoupDeCellule(i[0], i[1]), centre);
        const TGeometrieCarte g = GeometrieCarte(DimensionsRecherche(R->Grille));
        F->PointLbl()->clear();
        QTest::mouseClick(R->CarteImg, Qt::LeftButton, {}, g.Cellule(i[0], i[1]).center());
        QVERIFY2(F->PointLbl()->text().contains(QStringLiteral("Point réussi")),
                 qPrintable(F->PointLbl()->text()));
        QCOMPARE(F->Moteur().Coup.AngleOx,
                 ValeursRecherche(R->Grille).Angles[static_cast<size_t>(i[0])]);
    }

    void interruptionGardeCeQuiEstTrouve() {
        PositionFacile();
        // The default grid: far too long to end before the interruption.
        QSignalSpy fin(R, &TRechercheFrm::RechercheTerminee);
        R->ChercheBtn->click();
        QVERIFY(R->StopBtn->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(R->EtatLbl->text().contains(QStringLiteral("coups tirés")),
                                 AttenteMax);
        // While the strokes are fired, the time left is said.
        QTRY_VERIFY_WITH_TIMEOUT(R->EtatLbl->text().contains(QStringLiteral(", reste ")),
                                 AttenteMax);
        QTest::keyClick(R, Qt::Key_Escape);
        QVERIFY(fin.wait(AttenteMax));
        QVERIFY(R->Interrompue);
        QVERIFY(R->EtatLbl->text().startsWith(QStringLiteral("Interrompu")));
        QVERIFY(R->Coups.Tires > 0);
        QVERIFY(R->Coups.Tires < NbCoupsATirer(F->Moteur(), R->Grille));
        int64_t somme = 0;
        for (const TRoute& route : R->Solutions.Routes) somme += route.Reussis;
        QCOMPARE(somme, R->Coups.Reussis);
        QCOMPARE(R->RoutesArb->topLevelItemCount(), static_cast<int>(R->Solutions.Routes.size()));
        QVERIFY(R->ChercheBtn->isEnabled());
    }

    void carteEnregistreeEnPng() {
        PositionFacile();
        PetiteGrille();
        QVERIFY(Cherche());
        QTemporaryDir dossier;
        const QString nom = dossier.filePath(QStringLiteral("carte"));
        D->AjouteReponse(nom);
        R->EnregistreBtn->click();
        QCOMPARE(D->FiltresDemandes.back(), QStringList{QStringLiteral("Image PNG (*.png)")});
        const QImage image(nom + QStringLiteral(".png"));
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), R->CarteImg->pixmap().size());
    }

    // --- Chances -----------------------------------------------------------------------------

    void chancesDesFamillesTrieesEtCoupLePlusSurJoueTelQuel() {
        PositionFacile();
        PetiteGrille();
        R->JoueurCbx->setCurrentText(QStringLiteral("Maître"));
        R->FamillesChanceUD->setValue(3);
        QVERIFY(Cherche());
        // The three first listed families have their chance, in the "Réussite" column.
        std::vector<const TFamille*> evaluees;
        for (const TRoute& route : R->Solutions.Routes)
            for (const TFamille& f : route.Familles)
                if (f.Chance) evaluees.push_back(&f);
        QCOMPARE(evaluees.size(), size_t{3});
        R->TrieColonne(5);
        // Safest route first: its chance is the largest shown.
        const double premiere = R->RoutesArb->topLevelItem(0)->data(5, Qt::UserRole + 2).toDouble();
        for (const TFamille* f : evaluees) QVERIFY(f->Chance->Chance.Probabilite <= premiere);
        QVERIFY(R->RoutesArb->topLevelItem(0)->text(5).contains(QStringLiteral(" % ± ")));

        // The safest family played with "Trace simultanée" on: one shot, the stroke as found.
        const TFamille* sure = evaluees[0];
        for (const TFamille* f : evaluees)
            if (f->Chance->Chance.Probabilite > sure->Chance->Chance.Probabilite) sure = f;
        Action(*F, "TraceSimultaneeMnu")->trigger();
        TCompteurs n;
        F->Moteur().ApresQueueBille = {&CompteFrappe, &n};
        R->JoueFamille(sure->Numero);
        F->Moteur().ApresQueueBille = {};
        QCOMPARE(n.Frappes, 1);
        QVERIFY(F->Moteur().Coup == sure->Chance->Coup);
        QVERIFY2(F->PointLbl()->text().contains(QStringLiteral("Point réussi")),
                 qPrintable(F->PointLbl()->text()));
    }

    void carteDesChancesALaVitesseEtHauteurChoisies() {
        PositionFacile();
        PetiteGrille();
        R->JoueurCbx->setCurrentText(QStringLiteral("Joueur de club"));
        R->FamillesChanceUD->setValue(1);
        QVERIFY(Cherche());
        QVERIFY(!R->CarteChanceChk->isEnabled()); // "toutes": no single stroke per cell
        R->VitesseCbx->setCurrentIndex(1);
        R->HauteurCbx->setCurrentIndex(0);
        QVERIFY(R->CarteChanceChk->isEnabled());
        R->CarteChanceChk->setChecked(true);
        QTRY_VERIFY_WITH_TIMEOUT(!R->ChancesCarte().empty(), AttenteMax);
        // A chance on each scoring cell of the cut, nothing elsewhere.
        const TDimensionsRecherche d = DimensionsRecherche(R->Grille);
        int reussies = 0;
        for (int e = 0; e < d.NbEffets; ++e)
            for (int a = 0; a < d.NbAngles; ++a) {
                const double c = R->ChancesCarte()[static_cast<size_t>(e * d.NbAngles + a)];
                const bool marque = R->CoupDeCellule(a, e) >= 0;
                QCOMPARE(c >= 0, marque);
                if (!marque) continue;
                QVERIFY(c <= 1);
                ++reussies;
            }
        QVERIFY(reussies > 0);
        // The cells are painted by their chance.
        const TGeometrieCarte g = GeometrieCarte(d);
        for (int e = 0; e < d.NbEffets; ++e)
            for (int a = 0; a < d.NbAngles; ++a) {
                const double c = R->ChancesCarte()[static_cast<size_t>(e * d.NbAngles + a)];
                if (c < 0) continue;
                QCOMPARE(QColor(R->CarteImg->pixmap().toImage().pixel(g.Cellule(a, e).center())),
                         CouleurChance(c));
            }
    }
};

QTEST_MAIN(TestRechercheFrm)
#include "test_recherche_frm.moc"
