// The shot's diagram: the SVG read back as XML (one path per moving ball in its colour, the cue
// ball's cushion contacts numbered), the PNG's pixels where the balls started, the command
// line's draw, and the main window's export drawing the same picture.

#include "analysis/ComdbAlv.h"
#include "analysis/RouteEnMots.h"
#include "dessin/SchemaCoup.h"
#include "analysis/SystemeDiamants.h"
#include "dessin/TexteCoup.h"
#include "engine/CoupDefaut.h"
#include "support/Actions.h"
#include "support/DialoguesScriptes.h"
#include "support/Processus.h"
#include "support/ReglagesDeTest.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <memory>

namespace {

const QString Echantillon = QStringLiteral(ALVERAN_SOURCE_DIR "/samples/defaut.alv");

/// What the SVG holds: the stroke colour of every path (inherited from its groups, as SVG
/// does) and the text of every text element.
struct TContenuSvg {
    bool Valide = false;
    QString Erreur;
    QStringList TraitsDesChemins;
    QStringList Textes;
};

TContenuSvg LitSvg(const QString& nom) {
    QFile f(nom);
    TContenuSvg c;
    if (!f.open(QIODevice::ReadOnly)) return c;
    QXmlStreamReader xml(&f);
    QStringList traits{QStringLiteral("none")};
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString trait = xml.attributes().value(QStringLiteral("stroke")).toString();
            traits.push_back(trait.isEmpty() ? traits.back() : trait);
            if (xml.name() == QStringLiteral("path")) c.TraitsDesChemins << traits.back();
            if (xml.name() == QStringLiteral("text"))
                c.Textes << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed(),
                    traits.pop_back();
        } else if (xml.isEndElement()) {
            traits.pop_back();
        }
    }
    c.Valide = !xml.hasError();
    c.Erreur = xml.errorString();
    return c;
}

std::unique_ptr<TBillardAlveran> CoupParDefaut() {
    auto m = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*m);
    m->TireCoup();
    return m;
}

TSchemaCoup Schema(const TBillardAlveran& m) {
    TSchemaCoup s;
    s.Moteur = &m;
    s.Legende = LegendeCoup(m, TexteResultat(ResultatMoteur(m), QLocale()), QLocale());
    return s;
}

int Compte(const QStringList& l, const QString& v) {
    return static_cast<int>(l.count(v));
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

    QTemporaryDir Dossier;

  private slots:
    void init() {
        ReglagesVierges();
        QLocale::setDefault(QLocale::c());
    }

    void contactsDuCoupParDefaut() {
        const auto m = CoupParDefaut();
        QVERIFY(m->PointReussi);
        const std::vector<int> contacts = ContactsBandes(*m);
        // Three cushions before the point (the characteristics count them too), one after.
        QCOMPARE(contacts.size(), size_t(4));
        QVERIFY(std::is_sorted(contacts.begin(), contacts.end()));
        QVERIFY(contacts[2] < m->IndicePoint && contacts[3] > m->IndicePoint);
        QCOMPARE(ResultatMoteur(*m).Bandes, 3);
    }

    void legendeDitLaRouteEnMotsSelonLaBilleJoueur() {
        const auto m = CoupParDefaut();
        const std::string route = SequencePoint(*m);
        QVERIFY(!route.empty());
        m->BilleJoueur = bjBlanche;
        const QStringList blanche = Schema(*m).Legende;
        QCOMPARE(blanche.last(), QStringLiteral("Route %1 : %2")
                                     .arg(QString::fromStdString(route),
                                          QString::fromStdString(RouteEnMots(route, bjBlanche))));
        QVERIFY(blanche.last().contains(QStringLiteral("bande")));
        // The same shot played with the yellow ball names other colours for 2 and 3.
        m->BilleJoueur = bjJaune;
        QVERIFY(Schema(*m).Legende.last() != blanche.last());
    }

    void svgUnCheminParBilleQuiBouge() {
        const auto m = CoupParDefaut();
        const QString nom = Dossier.filePath(QStringLiteral("defaut.SVG"));
        QString erreur;
        QVERIFY2(EcritSchema(Schema(*m), nom, erreur), qPrintable(erreur));
        const TContenuSvg svg = LitSvg(nom);
        QVERIFY2(svg.Valide, qPrintable(svg.Erreur));
        QCOMPARE(Compte(svg.TraitsDesChemins, QStringLiteral("#ffffff")), 1);
        QCOMPARE(Compte(svg.TraitsDesChemins, QStringLiteral("#ff0000")), 1);
        QCOMPARE(Compte(svg.TraitsDesChemins, QStringLiteral("#ffff00")), 1);
        for (const char* numero : {"1", "2", "3", "4"})
            QCOMPARE(Compte(svg.Textes, QString::fromLatin1(numero)), 1);
        QVERIFY(svg.Textes.contains(QStringLiteral("Point réussi à indice 102 — durée : "
                                                   "11 sec 651 ms")));
        QCOMPARE(svg.Textes.filter(QRegularExpression(QStringLiteral("^Effet 0.62 cm"))).size(), 1);

        // A soft shot that meets nothing: the cue ball's path alone, no cushion, no number.
        auto doux = std::make_unique<TBillardAlveran>();
        PlaceCoupDefaut(*doux);
        doux->Coup.Vq = 40;
        doux->TireCoup();
        QVERIFY(EcritSchema(Schema(*doux), nom, erreur));
        const TContenuSvg seul = LitSvg(nom);
        QCOMPARE(seul.TraitsDesChemins.filter(QRegularExpression("^#ff")).size(), 1);
        QCOMPARE(Compte(seul.TraitsDesChemins, QStringLiteral("#ffffff")), 1);
        QVERIFY(!seul.Textes.contains(QStringLiteral("1")));
    }

    void diamantsDesBandesSurDemande() {
        // Each cushion contact of the cue ball with its diamond number (one decimal), in the
        // user's format; none unless asked.
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        const auto m = CoupParDefaut();
        const QString nom = Dossier.filePath(QStringLiteral("diamants.svg"));
        QString erreur;
        TSchemaCoup s = Schema(*m);
        QVERIFY(EcritSchema(s, nom, erreur));
        const QStringList sans = LitSvg(nom).Textes;
        s.NumerosDiamants = true;
        QVERIFY(EcritSchema(s, nom, erreur));
        const QStringList avec = LitSvg(nom).Textes;
        QCOMPARE(avec.size(), sans.size() + 4);
        for (const int i : ContactsBandes(*m)) {
            const double n =
                NumeroDiamant(m->Contres[i], m->Trajets[1][i].Position, m->Fisik.largeurJeu());
            QVERIFY(n >= 0 && n <= 8);
            QVERIFY2(avec.contains(QLocale().toString(n, 'f', 1)),
                     qPrintable(QLocale().toString(n, 'f', 1)));
        }
        QLocale::setDefault(QLocale::c());
    }

    void pngBillesAuDepartDansLeursCouleurs() {
        const auto m = CoupParDefaut();
        TSchemaCoup s = Schema(*m);
        s.Couleurs = {QColor(Qt::white), QColor(Qt::red), QColor(Qt::yellow)};
        const QString nom = Dossier.filePath(QStringLiteral("defaut.png"));
        QString erreur;
        QVERIFY2(EcritSchema(s, nom, erreur), qPrintable(erreur));
        const QImage image(nom);
        QCOMPARE(image.size(), TailleSchema(s).toSize());
        const TRepere r = RepereSchema(s);
        for (int n = 1; n <= 3; ++n) {
            const TVecteur& p = m->Trajets[n][0].Position;
            const QPoint centre = r.VersPixels(p.x, p.y).toPoint();
            QCOMPARE(QColor(image.pixel(centre)), s.Couleurs[static_cast<size_t>(n - 1)]);
        }
        // A corner of the cloth that no path crosses keeps the table's green.
        const double j = m->Fisik.largeurJeu();
        QCOMPARE(QColor(image.pixel(r.VersPixels(j / 2 - 4, j - 4).toPoint())), QColor(0, 119, 68));
    }

    void extensionInconnueEtDossierAbsent() {
        const auto m = CoupParDefaut();
        QString erreur;
        const QString nom = Dossier.filePath(QStringLiteral("schema.bmp"));
        QVERIFY(!EcritSchema(Schema(*m), nom, erreur));
        QVERIFY(erreur.contains(QStringLiteral(".svg ou .png")));
        QVERIFY(!QFile::exists(nom));
        // A folder that does not exist: an error, nothing written.
        QVERIFY(!EcritSchema(Schema(*m), Dossier.filePath(QStringLiteral("non/la.svg")), erreur));
        QVERIFY(erreur.startsWith(QStringLiteral("impossible d'écrire")));
    }

    // --- The command line and the window draw the same picture -------------------------------

    void ligneDeCommandeEtFenetreDessinentLaMemeChose() {
        const QString cli = Dossier.filePath(QStringLiteral("cli.svg"));
        const processus::TExecution p = processus::Lance(
            ALVERAN_CLI, {"draw", Echantillon.toStdString(), "--out", cli.toStdString()});
        QCOMPARE(p.Statut, 0);
        QVERIFY(p.Sortie.starts_with("{\"PointReussi\":true,\"IndicePoint\":102"));
        const TContenuSvg svg = LitSvg(cli);
        QVERIFY(svg.Valide);
        QCOMPARE(Compte(svg.Textes, QStringLiteral("3")), 1);

        TDialoguesScriptes d;
        TMainFrm f(&d);
        f.CreeFenetres();
        d.AjouteReponse(Echantillon);
        Action(f, "ChargerMnu")->trigger();
        QTest::keyClick(&f, Qt::Key_Space);
        // No extension typed, the second type chosen: a PNG. Then an SVG by its name.
        d.AjouteReponse(Dossier.filePath(QStringLiteral("fenetre")), 1);
        Action(f, "ExporterSchemaMnu")->trigger();
        QVERIFY(QImage(Dossier.filePath(QStringLiteral("fenetre.png"))).width() > 0);
        d.AjouteReponse(Dossier.filePath(QStringLiteral("fenetre.svg")), 1);
        Action(f, "ExporterSchemaMnu")->trigger();
        QVERIFY(d.Messages.empty());
        QFile a(cli), b(Dossier.filePath(QStringLiteral("fenetre.svg")));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());
    }

    void laBilleJauneSuitLeFichier() {
        // Saved with the yellow cue ball: the file says so, the command line draws the same
        // picture as the window, and a window set to the white ball takes the yellow one back.
        TDialoguesScriptes d;
        TMainFrm f(&d);
        f.CreeFenetres();
        d.AjouteReponse(Echantillon);
        Action(f, "ChargerMnu")->trigger();
        Action(f, "JauneMnu")->trigger();
        const QString alv = Dossier.filePath(QStringLiteral("jaune.alv"));
        d.AjouteReponse(alv, 0);
        Action(f, "SauvegarderMnu")->trigger();
        QVERIFY(d.Messages.empty());
        QFile fichier(alv);
        QVERIFY(fichier.open(QIODevice::ReadOnly));
        QVERIFY(fichier.readAll().contains("\r\nBilleJoueur=jaune"));
        QTest::keyClick(&f, Qt::Key_Space);
        d.AjouteReponse(Dossier.filePath(QStringLiteral("jaune-fenetre.svg")), 1);
        Action(f, "ExporterSchemaMnu")->trigger();

        const QString cli = Dossier.filePath(QStringLiteral("jaune-cli.svg"));
        const processus::TExecution p =
            processus::Lance(ALVERAN_CLI, {"draw", alv.toStdString(), "--out", cli.toStdString()});
        QCOMPARE(p.Statut, 0);
        QFile a(cli), b(Dossier.filePath(QStringLiteral("jaune-fenetre.svg")));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());

        // A first run elsewhere (the cue ball chosen last is remembered between runs).
        ReglagesVierges();
        TMainFrm g(&d);
        g.CreeFenetres();
        QVERIFY(Action(g, "BlancheMnu")->isChecked());
        d.AjouteReponse(alv);
        Action(g, "ChargerMnu")->trigger();
        QVERIFY(Action(g, "JauneMnu")->isChecked());
        QVERIFY(d.Messages.empty());
    }

    void ligneDeCommandeRefuseUneMauvaiseSortie() {
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("draw"), Echantillon},
              QStringList{QStringLiteral("draw"), Echantillon, QStringLiteral("--out"),
                          Dossier.filePath(QStringLiteral("x.txt"))},
              QStringList{QStringLiteral("draw"), QStringLiteral("absent.alv"),
                          QStringLiteral("--out"), Dossier.filePath(QStringLiteral("x.svg"))}}) {
            std::vector<std::string> args;
            for (const QString& a : arguments) args.push_back(a.toStdString());
            const processus::TExecution p = processus::Lance(ALVERAN_CLI, args);
            QCOMPARE(p.Statut, 2);
            QVERIFY(p.Sortie.empty());
            QVERIFY(p.Erreurs.starts_with("alveran-cli: "));
        }
        QVERIFY(!QFile::exists(Dossier.filePath(QStringLiteral("x.svg"))));
    }
};

QTEST_MAIN(TestSchema)
#include "test_schema.moc"
