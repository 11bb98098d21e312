// An attempt against the stroke meant in the main window: a tracked attempt read through the
// menu, drawn over the current stroke's paths, and the distance at each cushion of the cue ball
// listed in the result text; the balls and the stroke stay as they were.

#include "support/Actions.h"
#include "support/ReglagesDeTest.h"
#include "support/DialoguesScriptes.h"
#include "support/FenetrePrincipale.h"
#include "ui/CIbh3billes.h"
#include "windows/Main.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sstream>

namespace {

/// The shot the engine last fired as a tracker would write it: every record of the cue ball,
/// the object balls at their start and end.
std::string CsvDuCoup(const TBillardAlveran& e) {
    std::ostringstream s;
    s.precision(17);
    s << "t,bille,x,y\n";
    for (int i = 0; i <= e.NbEnr; ++i)
        s << e.Temps[i] << ",1," << e.Trajets[1][i].Position.x << ',' << e.Trajets[1][i].Position.y
          << '\n';
    for (int b = 2; b <= 3; ++b)
        for (const int i : {0, e.NbEnr})
            s << e.Temps[i] << ',' << b << ',' << e.Trajets[b][i].Position.x << ','
              << e.Trajets[b][i].Position.y << '\n';
    return s.str();
}

} // namespace

class TestTentative : public TTestFenetre {
    Q_OBJECT

    QTemporaryDir Dossier;

    void Compare(const std::string& csv) {
        const QString chemin = Dossier.filePath(QStringLiteral("tentative.csv"));
        QFile f(chemin);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(csv.data(), qint64(csv.size()));
        f.close();
        D->AjouteReponse(chemin);
        Action(*F, "ComparerTentativeMnu")->trigger();
    }

  private slots:
    void init() { QVERIFY(OuvreFenetre({.Montre = true})); }
    void cleanup() { FermeFenetre(); }

    void laTentativeFideleEstAuCoupVoulu() {
        F->TireEnLignes();
        const int bandes = int(ContactsBandesCoup(F->Moteur()).size());
        QVERIFY(bandes >= 3);
        const TVecteur depart = F->Moteur().Trajets[1][0].Position;
        const double angle = F->Moteur().Coup.AngleOx;
        Compare(CsvDuCoup(F->Moteur()));
        QVERIFY(D->Messages.empty());

        const auto& c = F->BillardGraph()->Comparaison();
        QVERIFY(c.has_value());
        QCOMPARE(c->NbBandesIdeal, bandes);
        QCOMPARE(c->NbBandesTentative, bandes);
        for (const TEcartBande& e : c->Ecarts) QVERIFY(e.Distance < 1.0);
        // Balls and stroke kept; the tracked dots shown; the figures in the result text.
        QCOMPARE(F->Moteur().Trajets[1][0].Position.x, depart.x);
        QCOMPARE(F->Moteur().Coup.AngleOx, angle);
        QVERIFY(F->BillardGraph()->RelevesAffiches());
        QVERIFY(F->PointLbl()->text().contains(
            QStringLiteral("Tentative : %1 bande(s), coup voulu : %1").arg(bandes)));
        QVERIFY(F->PointLbl()->text().contains(QStringLiteral("- bande 1 (")));

        // Delete forgets the attempt as it forgets a tracked shot.
        QTest::keyClick(F.get(), Qt::Key_Delete);
        QVERIFY(!F->BillardGraph()->Comparaison().has_value());
    }

    void uneAutreVisedonneLesEcarts() {
        // The attempt played 1° off the stroke meant: the distances grow cushion by cushion.
        F->TireEnLignes();
        const double angle = F->Moteur().Coup.AngleOx;
        F->BillardGraph()->ViseAngle(angle + 0.0175);
        F->TireEnLignes();
        const std::string csv = CsvDuCoup(F->Moteur());
        F->BillardGraph()->ViseAngle(angle);
        Compare(csv);
        const auto& c = F->BillardGraph()->Comparaison();
        QVERIFY(c.has_value());
        QVERIFY(c->Ecarts.size() >= 2);
        QVERIFY(c->Ecarts[0].Distance > 1.0);
        QVERIFY(c->Ecarts.back().Distance > c->Ecarts[0].Distance);
    }

    void unFichierRefuseNeChangeRien() {
        Compare("t,bille,x,y\n0,4,0,0\n");
        QCOMPARE(D->Messages.size(), size_t{1});
        QVERIFY(D->Messages[0].Texte.startsWith(QStringLiteral("Trajectoire mesurée refusée")));
        QVERIFY(!F->BillardGraph()->Comparaison().has_value());
    }
};

QTEST_MAIN(TestTentative)
#include "test_tentative.moc"
