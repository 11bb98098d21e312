// The program started with a position file as its first argument, as a file manager starts it
// on a double-click: the file is loaded as "Charger une position" loads it, before the user
// does anything.

#include "transport/TransportDbAlv.h"
#include "ui/CIbh3billes.h"
#include "ui/CIbi.h"
#include "ui/EHVI3_ehvi.h"
#include "support/Actions.h"
#include "support/ReglagesDeTest.h"
#include "support/DialoguesScriptes.h"
#include "support/Processus.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;

/// What the program shows and holds once it has started, read from its main window.
struct TEtatDemarre {
    bool Vu = false;
    TVecteur Position[4], Vitesse[4], Rotation[4]; ///< record 0 of engine balls 1 to 3
    double Vq = 0, m = 0, Effet = 0, Hauteur = 0, AngleTapis = 0, AngleOx = 0;
    TPointTable Marqueur[4]; ///< ball markers, cm
    double EffetVu = 0, HauteurVu = 0, VitesseVue = 0, InclinaisonVue = 0, MasseVue = 0;
    double ViseeVue = 0; ///< rad
    bool Lignes = false, LignesTracees = false;
    std::string NomFichier;
};

TEtatDemarre Lit(TMainFrm& f) {
    TEtatDemarre e;
    e.Vu = true;
    for (int n = 1; n <= 3; ++n) {
        e.Position[n] = f.Moteur().Trajets[n][0].Position;
        e.Vitesse[n] = f.Moteur().Trajets[n][0].Vitesse;
        e.Rotation[n] = f.Moteur().Trajets[n][0].Rotation;
        e.Marqueur[n] = f.BilleMoteur(n)->PosCm();
    }
    e.Vq = f.Moteur().Coup.Vq;
    e.m = f.Moteur().Coup.m;
    e.Effet = f.Moteur().Coup.Effet;
    e.Hauteur = f.Moteur().Coup.Hauteur;
    e.AngleTapis = f.Moteur().Coup.AngleTapis;
    e.AngleOx = f.Moteur().Coup.AngleOx;
    e.EffetVu = f.Ehvi1()->Effet();
    e.HauteurVu = f.Ehvi1()->Hauteur();
    e.VitesseVue = f.Ehvi1()->Vitesse();
    e.InclinaisonVue = f.Ehvi1()->Inclinaison();
    e.MasseVue = f.Ehvi1()->MasseQueue();
    e.ViseeVue = f.BillardGraph()->AngleVisee();
    e.Lignes = Action(f, "LignesMnu")->isChecked();
    e.LignesTracees = f.LignesTracees();
    e.NomFichier = f.Moteur().NomFichier;
    return e;
}

/// The aim line ends on a whole pixel 10 000 pixels from the cue ball: 1E-4 rad at most.
constexpr double TolViseeRad = 1e-4;

bool Egaux(const TVecteur& a, const TVecteur& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

/// Ball markers are placed on whole pixels: a marker is where the file put its ball to within
/// one pixel of the default window's scale (about 0.3 cm).
constexpr double TolMarqueurCm = 0.5;

bool Proche(const TPointTable& a, const TVecteur& b) {
    return std::abs(a.x - b.x) <= TolMarqueurCm && std::abs(a.y - b.y) <= TolMarqueurCm;
}

void Ecrit(const QString& nom, const char* texte) {
    QFile f(nom);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(texte);
}

} // namespace

class TestLancement : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir Dossier;
    TEtatDemarre Defaut; ///< the program started without an argument

    /// Runs the program as main() does with `arguments` (the program's name first) and reads
    /// its main window once the event loop runs, then ends the program.
    TEtatDemarre Lance(const QStringList& arguments, TDialogues& dialogues) {
        TEtatDemarre etat;
        QTimer::singleShot(0, qApp, [&etat] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* f = qobject_cast<TMainFrm*>(w)) etat = Lit(*f);
            QCoreApplication::exit(0);
        });
        // Should the loop never start, the test fails rather than hangs.
        QTimer gardien;
        gardien.setSingleShot(true);
        connect(&gardien, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        gardien.start(60000);
        const int statut = LanceProgramme(arguments, &dialogues);
        gardien.stop();
        if (statut != 0) etat.Vu = false;
        return etat;
    }

    QString Chemin(const char* nom) const { return Dossier.filePath(QString::fromLatin1(nom)); }

  private slots:
    void initTestCase() {
        ReglagesVierges();
        QVERIFY(Dossier.isValid());
        TDialoguesScriptes d;
        Defaut = Lance({QStringLiteral("alveran")}, d);
        QVERIFY(Defaut.Vu);
        QVERIFY(d.Messages.empty());
        QVERIFY(d.FiltresDemandes.empty());
    }

    void fichierAlv() {
        // Upper-case extension, as some file managers and other systems write it.
        const QString nom = Chemin("coup.ALV");
        Ecrit(nom, "[Queue]\r\nVq=250\r\nm=480\r\nAngleOx=1\r\nAngleTapis=0.1\r\n"
                   "Effet=0.5\r\nHauteur=-0.75\r\n"
                   "[Positions]\r\nP1x=10\r\nP1y=-50\r\nP1z=3.075\r\nP2x=-20\r\nP2y=30\r\n"
                   "P2z=3.075\r\nP3x=0\r\nP3y=60\r\nP3z=3.075\r\n");
        TDialoguesScriptes d;
        const TEtatDemarre e = Lance({QStringLiteral("alveran"), nom}, d);
        QVERIFY(e.Vu);

        // Read without a dialog, and without a word.
        QVERIFY(d.FiltresDemandes.empty());
        QVERIFY(d.Messages.empty());
        QCOMPARE(QString::fromStdString(e.NomFichier), nom);

        // The engine holds the file: the positions exactly (the showing did not round them
        // to the markers' pixels), and the stroke.
        QVERIFY(Egaux(e.Position[1], {10, -50, 3.075}));
        QVERIFY(Egaux(e.Position[2], {-20, 30, 3.075}));
        QVERIFY(Egaux(e.Position[3], {0, 60, 3.075}));
        QCOMPARE(e.Vq, 250.0);
        QCOMPARE(e.AngleOx, 1.0);
        QCOMPARE(e.AngleTapis, 0.1);
        QCOMPARE(e.Effet, 0.5);
        QCOMPARE(e.Hauteur, -0.75);

        // The window shows it as after the load menu: markers, the whole stroke (cue mass
        // included, effect and height as written), inclination in degrees, aim line; lines
        // chosen, nothing drawn yet.
        for (int n = 1; n <= 3; ++n) QVERIFY2(Proche(e.Marqueur[n], e.Position[n]), "marqueur");
        QCOMPARE(e.EffetVu, 0.5);
        QCOMPARE(e.HauteurVu, -0.75);
        QCOMPARE(e.VitesseVue, 250.0);
        QVERIFY(std::abs(e.InclinaisonVue - 0.1 * 180.0 / Pi) < 1e-9);
        QVERIFY(std::abs(e.ViseeVue - 1.0) <= TolViseeRad);
        QCOMPARE(e.m, 480.0);
        QCOMPARE(e.MasseVue, e.m);
        QVERIFY(e.Lignes);
        QVERIFY(!e.LignesTracees);
    }

    void fichierAlv2() {
        // Relative to the working folder, with a mixed-case extension: still the second variant.
        const QString nom = Chemin("lance.Alv2");
        Ecrit(nom, "[Positions]\r\nP1x=18\r\nP1y=-71\r\nP1z=3.075\r\nP2x=0\r\nP2y=71\r\n"
                   "P2z=3.075\r\nP3x=-5\r\nP3y=-70\r\nP3z=3.075\r\n"
                   "[Vitesses]\r\nV1x=-56.5\r\nV1y=370.25\r\nV1z=0\r\n"
                   "[Rotations]\r\nR1x=-115\r\nR1y=-17.5\r\nR1z=61.625\r\n");
        const QString ici = QDir::currentPath();
        QVERIFY(QDir::setCurrent(Dossier.path()));
        TDialoguesScriptes d;
        const TEtatDemarre e = Lance({QStringLiteral("alveran"), QStringLiteral("lance.Alv2")}, d);
        QDir::setCurrent(ici);
        QVERIFY(e.Vu);
        QVERIFY(d.Messages.empty());

        QVERIFY(Egaux(e.Position[1], {18, -71, 3.075}));
        QVERIFY(Egaux(e.Position[3], {-5, -70, 3.075}));
        QVERIFY(Egaux(e.Vitesse[1], {-56.5, 370.25, 0}));
        QVERIFY(Egaux(e.Rotation[1], {-115, -17.5, 61.625}));
        QVERIFY(Egaux(e.Vitesse[2], {0, 0, 0})); // absent keys read as 0
        // The name kept is whole, so that a later save lands beside the file.
        QCOMPARE(QString::fromStdString(e.NomFichier), nom);
        // The file holds no stroke: the window's stays as it was, and the controls show it.
        QCOMPARE(e.Vq, Defaut.VitesseVue);
        QVERIFY(e.Effet == Defaut.EffetVu);
        QVERIFY(e.AngleOx == Defaut.ViseeVue);
        QCOMPARE(e.VitesseVue, e.Vq);
        QVERIFY(std::abs(e.ViseeVue - e.AngleOx) <= TolViseeRad);
        for (int n = 1; n <= 3; ++n) QVERIFY2(Proche(e.Marqueur[n], e.Position[n]), "marqueur");
        QVERIFY(e.Lignes);
    }

    void fichierIllisible() {
        // A name that does not exist: said, and the default table stays.
        const QString absent = Chemin("absent.alv");
        TDialoguesScriptes d;
        const TEtatDemarre e = Lance({QStringLiteral("alveran"), absent}, d);
        QVERIFY(e.Vu);
        QCOMPARE(d.Messages.size(), size_t(1));
        QCOMPARE(d.Messages[0].Titre, QStringLiteral("Erreur"));
        QCOMPARE(d.Messages[0].Texte, QStringLiteral("Impossible de lire ") + absent);
        QCOMPARE(d.Messages[0].Type, tmErreur);
        for (int n = 1; n <= 3; ++n) QVERIFY(Egaux(e.Position[n], Defaut.Position[n]));
        QVERIFY(e.NomFichier.empty());

        // A folder is no position file either.
        TDialoguesScriptes d2;
        QVERIFY(Lance({QStringLiteral("alveran"), Dossier.path()}, d2).Vu);
        QCOMPARE(d2.Messages.size(), size_t(1));
    }

    void autreExtension() {
        // As with the load menu, a name that is not ".alv" or ".alv2" reads nothing.
        const QString nom = Chemin("coup.txt");
        Ecrit(nom, "[Positions]\r\nP1x=10\r\nP1y=10\r\n");
        TDialoguesScriptes d;
        const TEtatDemarre e = Lance({QStringLiteral("alveran"), nom}, d);
        QVERIFY(e.Vu);
        QVERIFY(d.Messages.empty());
        for (int n = 1; n <= 3; ++n) QVERIFY(Egaux(e.Position[n], Defaut.Position[n]));
        QVERIFY(e.NomFichier.empty());
    }

    void programmeReel() {
        // The installed program itself, given a file: it starts, loads, and its event loop
        // runs (it answers a frame on its socket) instead of failing on the argument.
        const QString nom = Chemin("reel.alv2");
        QVERIFY(QFile::copy(QStringLiteral(ALVERAN_SOURCE_DIR "/samples/defaut.alv2"), nom));
        const QString erreurs = Chemin("reel.erreurs");
        processus::TProcessus programme(
            ALVERAN_PROGRAMME, {nom.toStdString()},
            {.Erreurs = erreurs.toStdString(), .Environnement = {"QT_QPA_PLATFORM=offscreen"}});
        QVERIFY(programme.Demarre());

        TTransportDbAlv transport;
        const QString serveur = TTransportDbAlv::NomAlveran(quint64(programme.Pid()));
        bool repondu = false;
        for (int essai = 0; essai < 60 && !repondu && programme.EnCours(); ++essai) {
            repondu = transport.Envoie(serveur, 0, QByteArray()) == TTransportDbAlv::eEnvoye;
            if (!repondu) QTest::qWait(500);
        }
        const bool enMarche = programme.EnCours();
        programme.Tue();
        QVERIFY2(enMarche, processus::Lit(erreurs.toStdString()).c_str());
        QVERIFY(repondu);
    }
};

QTEST_MAIN(TestLancement)
#include "test_lancement.moc"
