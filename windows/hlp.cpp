#include "windows/hlp.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

ThlpFrm::ThlpFrm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("hlpFrm"));
    resize(402, 525);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(TexteAide());
    auto* disposition = new QVBoxLayout(this);
    disposition->setContentsMargins(0, 0, 0, 0);
    disposition->addWidget(Memo1);
}

QString ThlpFrm::TexteAide() {
    // Sections are separated by lines of asterisks; the tolerance section closes the text.
    static const char* const Texte =
        "Démo2D Alveran\n"
        "\n"
        "Le moteur de calcul de ce programme s'appuie exclusivement sur des équations "
        "publiées : frottements, restitution des chocs et mouvements des billes (glissement, "
        "roulement, pivotement, vol) en trois dimensions. Rien n'y est ajusté à la main pour "
        "obtenir un résultat attendu.\n"
        "\n"
        "****************************************\n"
        "Clavier :\n"
        "\n"
        "Maintenir une des touches suivantes enfoncée et appuyer sur les flèches horizontales "
        "ou verticales pour modifier la valeur correspondante :\n"
        "  E : effet\n"
        "  H : hauteur\n"
        "  V : vitesse queue\n"
        "  A : angle de visée\n"
        "  I : inclinaison de la queue\n"
        "  M : masse de la queue\n"
        "  1, 2, 3 (touches &, é et \" de la rangée principale d'un clavier français) : "
        "position de la bille joueur, de la bille 2 et de la bille 3\n"
        "\n"
        "Autres touches :\n"
        "  +, - (pavé numérique) : augmentent ou diminuent le pas des flèches\n"
        "  ESPACE : joue le coup\n"
        "  SUPR : efface le billard et le redessine (toutes nos excuses pour les traces qui "
        "restent parfois à l'écran)\n"
        "  HOME : replace les billes là où le dernier coup a commencé\n"
        "  END : place les billes là où le dernier coup s'est terminé\n"
        "  ESC : interrompt le dessin en cours ou un calcul de tolérance\n"
        "  Q : queue numérique (saisie des valeurs au clavier)\n"
        "  F1 : cette aide\n"
        "\n"
        "****************************************\n"
        "CALIBRAGE\n"
        "\n"
        "La fenêtre de calibrage (menu Edition) modifie les coefficients du moteur pour que le "
        "billard se comporte comme on le souhaite. Placer une position, ouvrir \"Calibrage\", "
        "choisir un coefficient et déplacer le curseur jusqu'à ce que la trajectoire prenne "
        "la forme voulue.\n"
        "\n"
        "****************************************\n"
        "VUE NUMERIQUE\n"
        "\n"
        "La vue numérique affiche les coordonnées des vecteurs position, vitesse et rotation "
        "des trois billes, avec le temps et le coefficient d'adhérence de chaque "
        "enregistrement. Son curseur déplace les billes sur le billard au fil du temps "
        "enregistré.\n"
        "\n"
        "****************************************\n"
        "CALCUL DE TOLERANCE DU POINT (difficulté d'un point)\n"
        "\n"
        "Principe : le joueur ne reproduit jamais exactement le coup voulu. On essaie donc "
        "toutes les combinaisons d'un espace à six dimensions représentant sa marge d'erreur, "
        "une dimension par paramètre du coup (effet, hauteur, angle de visée, vitesse, "
        "inclinaison, masse de la queue), et on compte les essais réussis.\n"
        "\n"
        "Marche à suivre :\n"
        "1. Placer les billes pour un coup et chercher un réglage dont le carambolage se fait "
        "le plus près possible du centre de la troisième bille.\n"
        "2. Ouvrir la fenêtre de tolérance (menu Edition). Pour chaque paramètre, choisir "
        "l'incrément et le nombre d'essais de part et d'autre de la valeur centrale selon "
        "l'habileté supposée du joueur. Par exemple, pour une précision de visée de plus ou "
        "moins 0,5 degré avec 5 essais au-dessus et 5 au-dessous de la valeur centrale, soit "
        "11 en tout : \"da = 0.1\" et \"Nbre essais en a = 5\".\n"
        "3. Faire de même pour les cinq autres paramètres.\n"
        "4. Lancer le calcul. Il peut être très long ; la touche ESC l'arrête. Le temps "
        "restant annoncé au départ est pessimiste et se corrige en cours de calcul.\n"
        "\n"
        "Résultat : le nombre d'essais réussis sur le nombre total. Avec assez d'essais, il "
        "estime la chance qu'un joueur de ce niveau a de faire le point. En gardant les mêmes "
        "incréments et les mêmes nombres d'essais, on compare objectivement deux points, ou "
        "deux façons de jouer le même point, pour savoir lequel est le plus facile.\n"
        "\n"
        "Exemple : pour un même point d'entrée, un coup naturel assez plein pris haut sur la "
        "bille se révèle environ cinq fois plus facile qu'un coup bas pris en finesse.\n";
    return QString::fromUtf8(Texte);
}
