// The file's shot is the shot fired: the main window driven as a player would, loading the
// committed sample, firing, saving, and recomputing from the numerical view, then checking that
// the same file fires the same shot as the command line. Also Qt's own texts in French and the
// small faults of the result display.

#include "analysis/ComdbAlv.h"
#include "support/Actions.h"
#include "support/Compteurs.h"
#include "support/DialoguesScriptes.h"
#include "ui/CIbh3billes.h"
#include "ui/EHVI3_ehvi.h"
#include "ui/TraductionsQt.h"
#include "windows/Main.h"
#include "windows/QueueNum.h"
#include "windows/VueNum.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

namespace {

const QString Echantillon = QStringLiteral(ALVERAN_SOURCE_DIR "/samples/defaut.alv");
/// The aim written in the sample, and the record at which the command line scores it.
constexpr double AngleOxEchantillon = 1.72159277416721;
constexpr int IndicePointEchantillon = 102;

QByteArray Contenu(const QString& nom) {
    QFile f(nom);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// The line of a profile file that starts with `cle=`.
QByteArray Ligne(const QByteArray& texte, const char* cle) {
    for (const QByteArray& l : texte.split('\n'))
        if (l.startsWith(QByteArray(cle) + '=')) return l.trimmed();
    return {};
}

bool AuRepos(const TCinematique& c) {
    return Norme(c.Vitesse) == 0.0 && Norme(c.Rotation) == 0.0;
}

void Glisse(QWidget* w, QPoint de, QPoint vers) {
    QTest::mousePress(w, Qt::LeftButton, {}, de);
    QMouseEvent e(QEvent::MouseMove, QPointF(vers), QPointF(w->mapToGlobal(vers)), Qt::NoButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
    QTest::mouseRelease(w, Qt::LeftButton, {}, vers);
}

} // namespace

class TestCoupFidele : public QObject {
    Q_OBJECT

    std::unique_ptr<TDialoguesScriptes> D;
    std::unique_ptr<TMainFrm> F;
    TCompteurs N;

    void Charge(const QString& nom) {
        D->AjouteReponse(nom);
        Action(*F, "ChargerMnu")->trigger();
    }

    void Tire() { QTest::keyClick(F.get(), Qt::Key_Space); }

    /// "Feu !" of the numerical view on a record in mid-shot where an object ball moves: the
    /// recomputation starts with that ball moving. Returns the record used.
    int RecalculeEnPleinCoup() {
        const TBillardAlveran& m = F->Moteur;
        int i = 1;
        while (i < m.NbEnr && Norme(m.Trajets[2][i].Vitesse) < 1 &&
               Norme(m.Trajets[3][i].Vitesse) < 1)
            ++i;
        Action(*F, "VueNumMnu")->trigger();
        TVueNumFrm& vue = *F->VueNumFrm;
        vue.BarPos->setValue(i + 3);
        QTest::mouseClick(vue.CalculTrajetsBtn, Qt::LeftButton);
        return i + 3;
    }

    bool ObjetsAuRepos() const {
        return AuRepos(F->Moteur.Trajets[2][0]) && AuRepos(F->Moteur.Trajets[3][0]);
    }

  private slots:
    void init() {
        QLocale::setDefault(QLocale::c());
        D = std::make_unique<TDialoguesScriptes>();
        F = std::make_unique<TMainFrm>(D.get());
        F->CreeFenetres();
        F->show();
        QVERIFY(QTest::qWaitForWindowExposed(F.get()));
        N = {};
        F->Moteur.ApresQueueBille = {&CompteFrappe, &N};
    }

    void cleanup() {
        F.reset();
        D.reset();
        QLocale::setDefault(QLocale::c());
    }

    // --- The aim of a loaded shot is the file's --------------------------------------------

    void chargerPuisTirerMarqueCommeLaLigneDeCommande() {
        Charge(Echantillon);
        QCOMPARE(F->BillardGraph->AngleVisee(), AngleOxEchantillon);
        Tire();
        QCOMPARE(F->Moteur.Coup.AngleOx, AngleOxEchantillon);
        QVERIFY(F->Moteur.PointReussi);
        QCOMPARE(F->Moteur.IndicePoint, IndicePointEchantillon);
        QVERIFY(
            F->TexteDernierResultat().startsWith(QStringLiteral("Point réussi à indice 102\r")));
    }

    void chargerPuisSauverRendLeMemeFichier() {
        Charge(Echantillon);
        QTemporaryDir dossier;
        const QString copie = dossier.filePath(QStringLiteral("copie.alv"));
        D->AjouteReponse(copie);
        Action(*F, "SauvegarderMnu")->trigger();
        const QByteArray original = Contenu(Echantillon), ecrit = Contenu(copie);
        QCOMPARE(Ligne(ecrit, "AngleOx"), Ligne(original, "AngleOx"));
        // The same file, which now says which ball is the cue ball.
        QCOMPARE(ecrit, original + "BilleJoueur=blanche\r\n");
    }

    void viserALaSourisOuAuxTouchesRelitLesPixels() {
        Charge(Echantillon);
        QVERIFY(F->BillardGraph->AngleExact());
        // Holding A and pressing Right turns the aim by a hundredth of a degree: exactly the
        // angle the keys make, fired as such.
        QTest::keyPress(F.get(), Qt::Key_A);
        QTest::keyClick(F.get(), Qt::Key_Right);
        QTest::keyRelease(F.get(), Qt::Key_A);
        QVERIFY(F->BillardGraph->AngleExact());
        QCOMPARE(F->BillardGraph->AngleVisee(), 98.65 * std::numbers::pi / 180);
        QVERIFY(F->BillardGraph->AngleVisee() != AngleOxEchantillon);
        // The mouse gives the line's angle.
        QTest::mouseClick(F->BillardGraph, Qt::LeftButton, {}, QPoint(60, 40));
        QVERIFY(!F->BillardGraph->AngleExact());
        const QPoint d = F->BillardGraph->ViseeDebut(), f = F->BillardGraph->ViseeFin();
        QCOMPARE(F->BillardGraph->AngleVisee(),
                 std::atan2(double(f.x() - d.x()), double(f.y() - d.y())));
        // End gives back the exact angle of the last shot; so does the numeric editor's field.
        Tire();
        const double tire = F->Moteur.Coup.AngleOx;
        QTest::mouseClick(F->BillardGraph, Qt::LeftButton, {}, QPoint(40, 40));
        QTest::keyClick(F.get(), Qt::Key_End);
        QCOMPARE(F->BillardGraph->AngleVisee(), tire);
        TQueueNumFrm& q = *F->QueueNumFrm;
        q.Aedit->setText(QStringLiteral("98.5"));
        QVERIFY(q.Applique(q.Aedit));
        QCOMPARE(F->BillardGraph->AngleVisee(), 98.5 * std::numbers::pi / 180);
    }

    // --- The same file fires the same shot --------------------------------------------------

    void chargerPrendLaMasseDeQueueDuFichier() {
        // The window's mass set to 525 g, the sample says 520: the file's shot is fired, as
        // the command line fires it.
        F->Ehvi1->SetMasseQueue(525);
        Charge(Echantillon);
        QCOMPARE(F->Ehvi1->MasseQueue(), 520.0);
        Tire();
        QCOMPARE(F->Moteur.Coup.m, 520.0);
        QCOMPARE(F->Moteur.IndicePoint, IndicePointEchantillon);
    }

    void chargerApresLaVueNumeriqueRepartDuRepos() {
        Charge(Echantillon);
        Tire();
        RecalculeEnPleinCoup();
        QVERIFY(!ObjetsAuRepos()); // what the test is about
        Charge(Echantillon);
        QVERIFY(ObjetsAuRepos());
        QVERIFY(AuRepos(F->Moteur.Trajets[1][0]));
        Tire();
        QCOMPARE(F->Moteur.IndicePoint, IndicePointEchantillon);
        QVERIFY(!F->TexteDernierResultat().contains(QStringLiteral("mouvement")));
    }

    void supprimerCollerEtBlocRecuRepartentDuRepos() {
        Charge(Echantillon);
        Tire();
        // Delete: a clean table, and the next shot starts from balls at rest.
        RecalculeEnPleinCoup();
        QTest::keyClick(F.get(), Qt::Key_Delete);
        QVERIFY(ObjetsAuRepos());
        QVERIFY(!F->LignesTracees);

        // A pasted shot.
        Charge(Echantillon);
        Tire();
        Action(*F, "CopierMnu")->trigger();
        RecalculeEnPleinCoup();
        Action(*F, "CollerMnu")->trigger();
        QVERIFY(D->Messages.empty());
        QCOMPARE(F->Moteur.IndicePoint, IndicePointEchantillon);

        // A stroke received from the database application, as a fresh engine would fire it.
        auto source = std::make_unique<TBillardAlveran>();
        QCOMPARE(source->LitPosition(QFile::encodeName(Echantillon).toStdString()), 1);
        source->TireCoup();
        TCaracteristiques c;
        CalculeCaracteristiques(*source, c);
        const TOctetsCoupDb octets = EncodeCoupDb(PrepareCoupDb(*source, c, true));
        RecalculeEnPleinCoup();
        F->RecoitBlocDb(QByteArray(reinterpret_cast<const char*>(octets.data()),
                                   static_cast<qsizetype>(octets.size())));
        QVERIFY(ObjetsAuRepos());
        QCOMPARE(F->Moteur.IndicePoint, IndicePointEchantillon);
    }

    void unTirAvecUneBilleDejaLanceeLeDit() {
        Charge(Echantillon);
        Tire();
        RecalculeEnPleinCoup();
        // The numerical view's state stays for the shots fired from where it left the balls.
        Tire();
        QVERIFY(!ObjetsAuRepos());
        const QStringList lignes = F->TexteDernierResultat().split(QLatin1Char('\r'));
        QVERIFY(lignes.size() >= 2);
        QVERIFY(lignes[lignes.size() - 2].endsWith(QStringLiteral(" déjà en mouvement")));
        QVERIFY(lignes[lignes.size() - 2].startsWith(QStringLiteral("- bille")));
        QVERIFY(F->PointLbl->text().contains(QStringLiteral("déjà en mouvement")));
    }

    // --- Smaller faults of the display ------------------------------------------------------

    void apercuSuitUneBilleGlissee() {
        Action(*F, "TraceSimultaneeMnu")->trigger();
        N = {};
        const QImage avant = F->QimgImage().copy();
        QVERIFY(avant.pixel(32, 32) != F->palette().color(QPalette::Window).rgb()); // a ball met
        // The red ball, which the default aim meets, dragged out of the line of travel.
        TCIBille* rouge = F->BillardGraph->bhBille3();
        Glisse(F->BillardGraph, rouge->PosPixels(), QPoint(rouge->PosPixels().x(), 40));
        QVERIFY(F->QimgImage() != avant);
        QVERIFY(F->Modifie);
        QCOMPARE(N.Frappes, 0); // a drag alone does not fire the live shot
    }

    void coupNonSignificatifNeGardePasLAncienD() {
        Tire();
        QVERIFY(F->Derniers.Significatif);
        QVERIFY(F->Derniers.d != 0.0);
        F->Ehvi1->SetVitesse(20); // too slow to reach three cushions
        Tire();
        QVERIFY(!F->Derniers.Significatif);
        QCOMPARE(F->Derniers.d, 0.0);
        QVERIFY(F->TexteDernierResultat().contains(QStringLiteral("\r- d : 0.000\r")));
    }

    void chargerEffaceLeResultatPrecedent() {
        Tire();
        QVERIFY(!F->PointLbl->text().isEmpty());
        Charge(Echantillon);
        QCOMPARE(F->PointLbl->text(), QString());
        QCOMPARE(F->TexteDernierResultat(), QString());
        // A cancelled dialog loads nothing and leaves the result of the shot on the table.
        Tire();
        D->AjouteAnnulation();
        Action(*F, "ChargerMnu")->trigger();
        QVERIFY(!F->PointLbl->text().isEmpty());
    }

    // --- French everywhere ------------------------------------------------------------------

    void dialoguesStandardEnFrancais() {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(InstalleTraductionsQt(*qApp));
        QDialogButtonBox boutons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(boutons.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
                 QStringLiteral("Annuler"));
        QFileDialog dialogue;
        dialogue.setOption(QFileDialog::DontUseNativeDialog);
        dialogue.setAcceptMode(QFileDialog::AcceptOpen);
        auto* boite = dialogue.findChild<QDialogButtonBox*>();
        QVERIFY(boite);
        QStringList textes;
        for (QAbstractButton* b : boite->buttons()) textes << b->text().remove(QLatin1Char('&'));
        QVERIFY2(textes.contains(QStringLiteral("Ouvrir")), qPrintable(textes.join(',')));
        QVERIFY(!textes.contains(QStringLiteral("Cancel")));
        for (QTranslator* t : qApp->findChildren<QTranslator*>()) delete t;
    }
};

QTEST_MAIN(TestCoupFidele)
#include "test_coup_fidele.moc"
