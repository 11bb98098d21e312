// The tolerance window driven as a user would: its texts under French settings, the grid read
// from its fields, evaluations run in the background and compared with the serial count, and
// an interruption by Escape.

#include "windows/Tolerance.h"
#include "analysis/DureeEssai.h"
#include "ui/CIbh3billes.h"
#include "ui/EHVI3_ehvi.h"
#include "support/Actions.h"
#include "support/DialoguesScriptes.h"
#include "windows/Main.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;
/// Long enough for any grid of these tests on a loaded two-core machine.
constexpr int AttenteMax = 120000;

/// A count as the window writes it: the user's thousands separator.
QString Groupe(qint64 n) {
    QLocale l;
    l.setNumberOptions(l.numberOptions() & ~QLocale::OmitGroupSeparator);
    return l.toString(n);
}

} // namespace

class TestToleranceFrm : public QObject {
    Q_OBJECT

    std::unique_ptr<TDialoguesScriptes> D;
    std::unique_ptr<TMainFrm> F;
    TToleranceFrm* T = nullptr;

    void Comptes(int e, int h, int a, int v, int i, int m) {
        T->eUD->setValue(e);
        T->hUD->setValue(h);
        T->aUD->setValue(a);
        T->vUD->setValue(v);
        T->iUD->setValue(i);
        T->mUD->setValue(m);
    }

    void Textes(QLineEdit* const (&champs)[6], const char* const (&textes)[6]) {
        for (int k = 0; k < 6; ++k) champs[k]->setText(QString::fromUtf8(textes[k]));
    }

    /// A shot that always makes the point in free mode: the cue ball aimed between two balls
    /// that nearly touch, 20 cm away.
    void CoupSur() {
        Action(*F, "LibreMnu")->trigger();
        F->BilleMoteur(1)->DeplaceCm({0, -20});
        F->BilleMoteur(2)->DeplaceCm({-3.3, 0});
        F->BilleMoteur(3)->DeplaceCm({3.3, 0});
        T->FormActivate();
        QLineEdit* const centres[6] = {T->eTxt, T->hTxt, T->aTxt, T->vTxt, T->iTxt, T->mTxt};
        Textes(centres, {"0", "0", "90", "300", "2", "520"});
    }

    /// Runs "Calculer" and waits for the end of the evaluation.
    bool Calcule() {
        QSignalSpy fin(T, &TToleranceFrm::EvaluationTerminee);
        T->DemarreBtn->click();
        if (!T->EnCours) return false;
        return fin.wait(AttenteMax);
    }

    /// The serial count of the grid the window holds, on a copy of the main window's engine.
    qint64 CompteSerie() {
        TGrilleTolerance g;
        for (int k = 0; k < 6; ++k) {
            g.Centres[static_cast<size_t>(k)] = T->Centres[static_cast<size_t>(k)];
            g.Increments[static_cast<size_t>(k)] = T->Increments[static_cast<size_t>(k)];
        }
        g.Nombres = {T->eUD->value(), T->hUD->value(), T->aUD->value(),
                     T->vUD->value(), T->iUD->value(), T->mUD->value()};
        auto copie = std::make_unique<TBillardAlveran>(F->Moteur);
        return EvalueTolerance(*copie, g).NbReussis;
    }

    void VerifieCentres() {
        const TBillardAlveran& m = F->Moteur;
        QCOMPARE(m.Coup.Effet, T->Centres[0]);
        QCOMPARE(m.Coup.Hauteur, T->Centres[1]);
        QCOMPARE(m.Coup.AngleOx, T->Centres[2]);
        QCOMPARE(m.Coup.Vq, T->Centres[3]);
        QCOMPARE(m.Coup.AngleTapis, T->Centres[4]);
        QCOMPARE(m.Coup.m, T->Centres[5]);
    }

  private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        D = std::make_unique<TDialoguesScriptes>();
        F = std::make_unique<TMainFrm>(D.get());
        F->CreeFenetres();
        T = F->ToleranceFrm.get();
        // The texts below are those of a machine where a trial takes 0.1 s, on one thread.
        T->MesureDuree = false;
        T->DureeTirMs = 100;
        T->NbFils = 1;
        T->eUDClick();
    }

    void cleanup() {
        F.reset();
        D.reset();
        QLocale::setDefault(QLocale::c());
    }

    // --- Texts and the grid's size ----------------------------------------------------------

    void textesInitiaux() {
        // Increments in the user's format; 11 × 11 × 11 × 5 × 5 × 1 trials grouped with the
        // French thousands separator (a kind of blank); 0.1 s per trial.
        QCOMPARE(T->deTxt->text(), QStringLiteral("0,1"));
        QCOMPARE(T->diTxt->text(), QStringLiteral("2"));
        const QString g = QLocale().groupSeparator();
        QVERIFY(g.size() == 1 && g.at(0).isSpace());
        QCOMPARE(T->MaxLbl->text(), QStringLiteral("/ 33") + g + QStringLiteral("275"));
        QCOMPARE(T->TempsLbl->text(), QStringLiteral("00 h 55 mn 27 sec"));
    }

    void unPointOuUneVirguleTapesDonnentLeSeparateur() {
        // Typed, either key gives the user's separator (a text set otherwise is read as it is).
        T->dhTxt->clear();
        QTest::keyClicks(T->dhTxt, QStringLiteral("0.25"));
        QCOMPARE(T->dhTxt->text(), QStringLiteral("0,25"));
        T->vTxt->clear();
        QTest::keyClicks(T->vTxt, QStringLiteral("430,5"));
        QCOMPARE(T->vTxt->text(), QStringLiteral("430,5"));
    }

    void totalGroupeAussiSousLaLocaleC() {
        // The C locale does not group by default; the total is grouped all the same.
        QLocale::setDefault(QLocale::c());
        T->eUDClick();
        QCOMPARE(T->MaxLbl->text(), QStringLiteral("/ 33,275"));
    }

    void compteEtEstimationSuiventLesCompteurs() {
        Comptes(0, 0, 0, 0, 0, 0);
        QCOMPARE(T->MaxLbl->text(), QStringLiteral("/ 1"));
        QCOMPARE(T->TempsLbl->text(), QStringLiteral("00 h 00 mn 00 sec"));
        // Clicking the up arrow of the mass: 3 trials on each side.
        QTest::keyClick(T->mUD, Qt::Key_Up);
        QCOMPARE(T->MaxLbl->text(), QStringLiteral("/ 3"));
        // More than a day of estimate is shown in whole hours, not as a time of day:
        // 41³ × 5 × 5 trials at 0.1 s = 172 302.5 s.
        Comptes(20, 20, 20, 2, 2, 0);
        QCOMPARE(T->TempsLbl->text(), QStringLiteral("47 h 51 mn 42 sec"));
        // Beyond 32 bits the grid is still counted: 201^6.
        Comptes(100, 100, 100, 100, 100, 100);
        QCOMPARE(T->NbEssaisTotal, Q_INT64_C(65944160601201));
    }

    void valeursCentralesDepuisLaFenetrePrincipale() {
        F->Ehvi1->SetVitesse(250);
        F->Moteur.Coup.m = 480.5;
        F->Moteur.Trajets[1][0].Position = {};
        T->FormActivate();
        QCOMPARE(T->vTxt->text(), QStringLiteral("250"));
        QCOMPARE(T->mTxt->text(), QStringLiteral("480,5"));
        // Twelve digits shown: the aim reads back to within the last of them (the exact value is
        // what an untouched field fires).
        QVERIFY(std::abs(QLocale().toDouble(T->aTxt->text()) - F->BillardGraph->AngleViseeDeg()) <
                1e-9);
        // The ball positions went into the engine, resting on the cloth.
        const TPointTable p = F->BilleMoteur(1)->PosCm();
        QCOMPARE(F->Moteur.Trajets[1][0].Position.x, p.x);
        QCOMPARE(F->Moteur.Trajets[1][0].Position.z, F->Moteur.Fisik.RayonBilles());
    }

    void valeursCentralesDesLAffichage() {
        // Shown but not (yet) active: the central values are there all the same.
        T->show();
        QCOMPARE(T->vTxt->text(), QStringLiteral("430"));
        QCOMPARE(T->aTxt->text(), QStringLiteral("98,64"));
    }

    void texteNonNumeriqueArreteCalculer() {
        T->FormActivate();
        T->hTxt->setText(QStringLiteral("1.5")); // a "." is not the French separator
        T->DemarreBtn->click();
        QVERIFY(!T->EnCours);
        QCOMPARE(D->Messages.size(), size_t(1));
        QCOMPARE(D->Messages[0].Texte,
                 QStringLiteral("'1.5' n'est pas une valeur en virgule flottante correcte"));

        // A bad increment: the total is already updated, nothing runs.
        T->FormActivate();
        T->eUD->blockSignals(true);
        T->eUD->setValue(0);
        T->eUD->blockSignals(false);
        T->dvTxt->setText(QString());
        T->DemarreBtn->click();
        QVERIFY(!T->EnCours);
        // 1 × 11 × 11 × 5 × 5 × 1, though the up-down said nothing.
        QCOMPARE(T->NbEssaisTotal, 3025);
        QCOMPARE(T->MaxLbl->text(), QStringLiteral("/ 3") + QLocale().groupSeparator() + "025");
        QCOMPARE(D->Messages.back().Texte,
                 QStringLiteral("'' n'est pas une valeur en virgule flottante correcte"));
    }

    // --- Evaluations ------------------------------------------------------------------------

    void grilleNulleUnSeulCoup() {
        T->FormActivate();
        Comptes(0, 0, 0, 0, 0, 0);
        QVERIFY(Calcule());
        QCOMPARE(T->MaxLbl->text(), QStringLiteral("/ 1"));
        QCOMPARE(T->NbEssaisFaits, 1);
        QVERIFY(T->ResultLbl->text() == QStringLiteral("0") ||
                T->ResultLbl->text() == QStringLiteral("1"));
        QCOMPARE(T->ResultLbl->text().toLongLong(), CompteSerie());
    }

    void masseTroisSurUnCoupToujoursReussi() {
        CoupSur();
        Comptes(1, 1, 1, 1, 1, 3);
        F->Moteur.Coup.Effet = 7; // not a central value: the end of the run puts the centres back
        QSignalSpy fin(T, &TToleranceFrm::EvaluationTerminee);
        T->DemarreBtn->click();
        QVERIFY(!T->DemarreBtn->isEnabled());
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QVERIFY(fin.wait(AttenteMax));
        // 3^5 combinations of levels 1 to 5, 7 successes each (centre, 3 above, 3 below).
        const QString g = QLocale().groupSeparator();
        QCOMPARE(T->ResultLbl->text(), QStringLiteral("1") + g + QStringLiteral("701"));
        QCOMPARE(T->MaxLbl->text(), QStringLiteral("/ 1") + g + QStringLiteral("701"));
        // The downward mass trials are not counted as trials made.
        QCOMPARE(T->NbEssaisFaits, 243 * 4);
        QVERIFY(T->ProgressBar1->value() < 100);
        QCOMPARE(T->TempsLbl->text(), QStringLiteral("00 h 02 mn 50 sec"));
        QVERIFY(T->DemarreBtn->isEnabled());
        QVERIFY(!T->EnCours);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(T->Centres[2], 90 * Pi / 180);
        VerifieCentres();
    }

    void compteParalleleEgalAuCompteSerie() {
        // The default shot, in three-cushion mode, over a grid where some trials miss.
        T->FormActivate();
        Comptes(2, 1, 2, 1, 1, 2);
        T->dmTxt->setText(QStringLiteral("40"));
        T->daTxt->setText(QStringLiteral("0,5"));
        QVERIFY(Calcule());
        const qint64 serie = CompteSerie();
        QCOMPARE(T->NbReussis, serie);
        QCOMPARE(T->ResultLbl->text(), QLocale().toString(serie));
        VerifieCentres();
    }

    void echapInterromptEtRestaureLesCentres() {
        T->show();
        T->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(T));
        Comptes(40, 40, 40, 2, 2, 0); // 81³ × 25 trials: minutes of work
        F->Moteur.Coup.Vq = 1;
        const QString estimationInitiale = T->TempsLbl->text();
        QSignalSpy fin(T, &TToleranceFrm::EvaluationTerminee);
        T->DemarreBtn->click();
        QVERIFY(T->EnCours);
        // A second "Calculer" while running changes nothing.
        T->DemarreBtnClick();
        QTest::qWait(700);
        QVERIFY(fin.isEmpty());
        QTest::keyClick(T->eTxt, Qt::Key_Escape);
        QVERIFY(fin.wait(10000));
        QCOMPARE(fin.size(), 1);
        // The successes of the trials done are kept.
        QCOMPARE(T->ResultLbl->text(), Groupe(T->NbReussis));
        QVERIFY(T->NbEssaisFaits > 0);
        QVERIFY(T->NbEssaisFaits < T->NbEssaisTotal);
        QVERIFY(!T->EnCours);
        QVERIFY(T->DemarreBtn->isEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        VerifieCentres();
        QCOMPARE(F->Moteur.Coup.Vq, 430.0);
        // The estimate was refreshed while running (not the initial one any more).
        QVERIFY(T->TempsLbl->text() != estimationInitiale);
    }

    // --- The window tells the truth while it runs and after ----------------------------------

    void memeCompteQueLaLigneDeCommandeSurLeMemeFichier() {
        const QString fichier = QStringLiteral(ALVERAN_SOURCE_DIR "/samples/defaut.alv");
        QProcess cli;
        cli.start(QStringLiteral(ALVERAN_CLI), {QStringLiteral("tolerance"), fichier});
        QVERIFY(cli.waitForFinished(AttenteMax));
        const QJsonObject attendu = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        QVERIFY(attendu.contains(QStringLiteral("NbReussis")));

        D->AjouteReponse(fichier);
        Action(*F, "ChargerMnu")->trigger();
        T->FormActivate();
        QVERIFY(Calcule());
        QCOMPARE(T->NbEssaisTotal, attendu.value(QStringLiteral("NbEssaisTotal")).toInteger());
        QCOMPARE(T->NbReussis, attendu.value(QStringLiteral("NbReussis")).toInteger());
        QCOMPARE(T->ResultLbl->text(), Groupe(T->NbReussis));
    }

    void leCompteSuitLeTravailEtLInterruptionLeGarde() {
        CoupSur(); // every trial makes the point: successes and trials done are one count
        Comptes(40, 40, 40, 2, 2, 0);
        const QString total = Groupe(81LL * 81 * 81 * 25);
        QSignalSpy fin(T, &TToleranceFrm::EvaluationTerminee);
        T->DemarreBtn->click();
        QVERIFY(T->EnCours);
        // While it runs the count grows with the work, the grid's fields are locked.
        QTRY_VERIFY_WITH_TIMEOUT(T->ResultLbl->text() != QStringLiteral("0"), 20000);
        QVERIFY(T->EnCours);
        QVERIFY(T->eUD->isReadOnly() && T->deTxt->isReadOnly());
        QVERIFY(T->ProgressBar1->value() >= 0);
        T->StopBtn->click();
        QVERIFY(fin.wait(10000));
        QVERIFY(T->NbReussis > 0);
        QCOMPARE(T->NbReussis, T->NbEssaisFaits);
        QCOMPARE(T->ResultLbl->text(), Groupe(T->NbReussis));
        QCOMPARE(T->EtatLbl->text(), QStringLiteral("Interrompu après ") + Groupe(T->NbReussis) +
                                         QStringLiteral(" essais sur ") + total);
        QVERIFY(!T->eUD->isReadOnly() && !T->deTxt->isReadOnly());
    }

    void finDeCalculCommeUnCompteEnSerie() {
        CoupSur();
        Comptes(1, 1, 1, 1, 1, 0); // 81 combinations of levels 1 to 4, 3 inclinations each
        const QString estimation = T->TempsLbl->text();
        for (int essai = 0; essai < 2; ++essai) {
            QVERIFY(Calcule());
            QCOMPARE(T->ResultLbl->text(), QStringLiteral("243"));
            // The bar stops where a serial count sets it last: 240 of 243 trials made before
            // the last combination of the four outer levels; the same at every run.
            QCOMPARE(T->ProgressBar1->value(), 240 * 100 / 243);
            QCOMPARE(T->TempsLbl->text(), estimation);
            QVERIFY(T->EtatLbl->text().startsWith(QStringLiteral("Terminé : 243 essais en 00 h")));
        }
    }

    void toutLeTotalSeLit() {
        T->show();
        Comptes(100, 100, 100, 100, 100, 100);
        QCOMPARE(T->MaxLbl->text(), QStringLiteral("/ ") + Groupe(Q_INT64_C(65944160601201)));
        // Whole: the label is as wide as its text and the window holds it.
        QVERIFY(T->MaxLbl->width() >= T->MaxLbl->sizeHint().width());
        QVERIFY(T->MaxLbl->geometry().right() < T->width());
        QVERIFY(T->TempsLbl->width() >= T->TempsLbl->sizeHint().width());
        QVERIFY(T->TempsLbl->geometry().right() < T->width());
    }

    void changerUnCompteOuUnIncrementEffaceLeResultat() {
        CoupSur();
        Comptes(0, 0, 1, 0, 0, 0);
        QVERIFY(Calcule());
        QCOMPARE(T->ResultLbl->text(), QStringLiteral("3"));
        QTest::keyClick(T->aUD, Qt::Key_Up);
        QCOMPARE(T->ResultLbl->text(), QString());
        QCOMPARE(T->ProgressBar1->value(), 0);
        QVERIFY(Calcule());
        QCOMPARE(T->ResultLbl->text(), QStringLiteral("5"));
        QTest::keyClicks(T->daTxt, QStringLiteral("5"));
        QCOMPARE(T->ResultLbl->text(), QString());
    }

    void auDelaDUneMinuteDemandeConfirmation() {
        CoupSur();
        T->DureeTirMs = 1; // 33 275 trials: 33 s, no question
        Comptes(5, 5, 5, 2, 2, 0);
        T->eUDClick();
        QCOMPARE(T->TempsLbl->text(), QStringLiteral("00 h 00 mn 33 sec"));
        QVERIFY(Calcule());
        QVERIFY(D->Questions.empty());
        T->DureeTirMs = 2; // 1 min 6 s
        D->AjouteReponseQuestion(false);
        T->DemarreBtn->click();
        QCOMPARE(D->Questions.size(), size_t(1));
        QVERIFY(D->Questions[0].contains(QStringLiteral("00 h 01 mn 06 sec")));
        QVERIFY(!T->EnCours); // nothing ran
        // Two threads share the trials: 33 s again, no question.
        T->NbFils = 2;
        T->eUDClick();
        QCOMPARE(T->TempsLbl->text(), QStringLiteral("00 h 00 mn 33 sec"));
        QVERIFY(Calcule());
        QCOMPARE(D->Questions.size(), size_t(1));
        QCOMPARE(T->ResultLbl->text(), Groupe(33275));
    }

    void laDureeDUnEssaiEstMesuree() {
        // On this machine a shot takes far less than the 0.1 s once assumed: the default grid
        // of 33 275 trials is not announced as most of an hour.
        T->MesureDuree = true;
        T->DureeTirMs = -1;
        T->FormActivate();
        QVERIFY(T->DureeTirMs > 0);
        QVERIFY2(T->DureeTirMs < 50, qPrintable(QString::number(T->DureeTirMs)));
        QVERIFY(T->TempsLbl->text() != QStringLiteral("00 h 55 mn 27 sec"));
        // The sample is the grid's own: the centre and each level's outermost strokes.
        TGrilleTolerance g;
        g.Centres = {1, 2, 3, 4, 5, 6};
        g.Increments = {0.5, 0, 0, 0, 0, 10};
        g.Nombres = {2, 0, 0, 0, 0, 1};
        const std::vector<TCoupQueue> e = EchantillonGrille(g);
        QCOMPARE(e.size(), size_t(5));
        QCOMPARE(e[0].Effet, 1.0);
        QCOMPARE(e[0].m, 6.0);
        QCOMPARE(e[1].Effet, 0.0);
        QCOMPARE(e[2].Effet, 2.0);
        QCOMPARE(e[3].m, -4.0);
        QCOMPARE(e[4].m, 16.0);
        QCOMPARE(e[4].Effet, 1.0);
        // The estimate shares the trials between threads and never overflows.
        QCOMPARE(EstimationMs(1000, 0.5, 2), Q_INT64_C(250));
        QCOMPARE(EstimationMs(Q_INT64_C(65944160601201), 1e9, 1), INT64_MAX);
    }

    void valeurCentraleDUnFichierSansDerniersChiffres() {
        // The sample's aim is 1.72159277416721 rad: in degrees 98.64 plus conversion noise.
        D->AjouteReponse(QStringLiteral(ALVERAN_SOURCE_DIR "/samples/defaut.alv"));
        Action(*F, "ChargerMnu")->trigger();
        T->FormActivate();
        QCOMPARE(T->aTxt->text(), QStringLiteral("98,64"));
    }
};

QTEST_MAIN(TestToleranceFrm)
#include "test_tolerance_frm.moc"
