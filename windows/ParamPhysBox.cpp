#include "windows/ParamPhysBox.h"

#include "analysis/TableDeMatch.h"
#include "ui/SaisieNombre.h"
#include "engine/C1_Types.h"
#include "ui/Dialogues.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <string_view>

using namespace alv;

namespace {

constexpr int HauteurLigne = 24;
constexpr int HauteurTitre = 20;
constexpr int IndiceHautBdes = 1;

struct TGroupe {
    QFrame* Cadre;
    int y; ///< next free line inside the frame
};

TGroupe Cadre(QWidget* parent, const char* titre, int x, int y, int w, int h) {
    auto* cadre = new QFrame(parent);
    cadre->setFrameShape(QFrame::StyledPanel);
    cadre->setGeometry(x, y, w, h);
    int premiere = 4;
    if (titre) {
        auto* label = new QLabel(QString::fromUtf8(titre), cadre);
        QFont gras = label->font();
        gras.setBold(true);
        label->setFont(gras);
        label->move(6, 3);
        premiere = HauteurTitre;
    }
    return {cadre, premiere};
}

} // namespace

TParamPhysDlg::TParamPhysDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Constantes physiques en cours"));
    setFixedSize(484, 384);

    int suivant = 0;
    auto champ = [this, &suivant](TGroupe& g, const char* libelle) {
        // The table of labels and the order of the boxes are one list.
        Q_ASSERT(std::string_view(libelle) ==
                 LibellesConstantes[static_cast<size_t>(suivant)].Libelle);
        auto* label = new QLabel(QString::fromUtf8(libelle), g.Cadre);
        label->move(8, g.y + 3);
        auto* edit = new QLineEdit(g.Cadre);
        edit->setObjectName(QStringLiteral("Edit%1").arg(suivant + 1));
        edit->setGeometry(g.Cadre->width() - 74, g.y, 66, 21);
        edit->installEventFilter(this);
        Edits[static_cast<size_t>(suivant++)] = edit;
        g.y += HauteurLigne;
    };

    TGroupe dimensions = Cadre(this, "Dimensions", 8, 8, 230, HauteurTitre + 5 * HauteurLigne + 4);
    champ(dimensions, "Largeur surf. jeu :");
    champ(dimensions, "Hauteur bandes :");
    champ(dimensions, "Rayon billes :");
    champ(dimensions, "Masse billes :");
    champ(dimensions, "Vitesse rebond nul");

    TGroupe frottements = Cadre(this, "Frottements", 246, 8, 230,
                                HauteurTitre + 6 * HauteurLigne + HauteurTitre + 16);
    TGroupe billeTapis = Cadre(frottements.Cadre, "Bille-Tapis", 4, HauteurTitre, 222,
                               HauteurTitre + 4 * HauteurLigne + 4);
    champ(billeTapis, "glissementt");
    champ(billeTapis, "pivotement ");
    champ(billeTapis, "roulement ");
    champ(billeTapis, "choc ");
    frottements.y = billeTapis.Cadre->geometry().bottom() + 5;
    champ(frottements, "bille-bille");
    champ(frottements, "bille-bande");

    TGroupe elasticites =
        Cadre(this, "Elasticités", 246, frottements.Cadre->geometry().bottom() + 7, 230,
              HauteurTitre + 4 * HauteurLigne + 4);
    champ(elasticites, "Bille-Tapis");
    champ(elasticites, "bille-bille");
    champ(elasticites, "bille-bande");
    champ(elasticites, "queue-bille (perte Ec)");

    TGroupe durees = Cadre(this, "Durées", 8, dimensions.Cadre->geometry().bottom() + 7, 230,
                           HauteurTitre + 3 * HauteurLigne + 4);
    champ(durees, "fréquence analyse");
    champ(durees, "fréquence enregistr.");
    champ(durees, "durée maximum");

    TGroupe pesanteur =
        Cadre(this, nullptr, 8, durees.Cadre->geometry().bottom() + 7, 230, HauteurLigne + 8);
    champ(pesanteur, "pesanteur");

    const int yBoutons = height() - 34;
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(200, yBoutons, 80, 25);
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    BitBtn2 = new QPushButton(QStringLiteral("Annul."), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(292, yBoutons, 80, 25);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    DefautBtn = new QPushButton(QStringLiteral("Defaut"), this);
    DefautBtn->setObjectName(QStringLiteral("DefautBtn"));
    DefautBtn->setToolTip(QStringLiteral("affiche valeurs par défaut"));
    DefautBtn->setGeometry(396, yBoutons, 80, 25);
    DefautBtn->setAutoDefault(false);
    connect(DefautBtn, &QPushButton::clicked, this, [this] { DefautBtnClick(); });
    TableDeMatchBtn = new QPushButton(QString::fromUtf8(NomTableDeMatch), this);
    TableDeMatchBtn->setObjectName(QStringLiteral("TableDeMatchBtn"));
    TableDeMatchBtn->setToolTip(
        QStringLiteral("affiche les valeurs mesurées sur une table de match"));
    TableDeMatchBtn->setGeometry(8, yBoutons, 180, 25);
    TableDeMatchBtn->setAutoDefault(false);
    connect(TableDeMatchBtn, &QPushButton::clicked, this, [this] { TableDeMatchBtnClick(); });
}

namespace {

/// A value in its box, its leading digits in view: a fitted constant has more digits than the
/// box shows, and its last ones ("…88773553") say nothing of its size.
void EcritValeur(QLineEdit* edit, double valeur) {
    edit->setText(TexteGeneral(valeur, 15));
    edit->setCursorPosition(0);
}

} // namespace

void TParamPhysDlg::Remplit(const TPARAMPHYS& fisik) {
    for (int i = 0; i < NbChamps; ++i)
        EcritValeur(Edits[static_cast<size_t>(i)], fisik.Parametre(i));
}

void TParamPhysDlg::DefautBtnClick() {
    for (int i = 0; i < NbChamps; ++i) {
        QLineEdit* edit = Edits[static_cast<size_t>(i)];
        EcritValeur(edit, TPARAMPHYS::Defaut(i));
        edit->setModified(true);
    }
}

void TParamPhysDlg::TableDeMatchBtnClick() {
    for (const auto& [indice, valeur] : ValeursTableDeMatch()) {
        QLineEdit* edit = Edits[static_cast<size_t>(indice)];
        EcritValeur(edit, valeur);
        edit->setModified(true);
    }
}

QString LibelleConstante(int indice) {
    if (indice < 0 || indice >= TParamPhysDlg::NbChamps) return {};
    const TLibelleConstante& l = LibellesConstantes[static_cast<size_t>(indice)];
    QString libelle = QString::fromUtf8(l.Libelle).trimmed();
    if (libelle.endsWith(QLatin1Char(':'))) libelle.chop(1);
    libelle = libelle.trimmed();
    if (*l.Groupe == '\0') return libelle;
    return QString::fromUtf8(l.Groupe) + QStringLiteral(" : ") + libelle;
}

bool TParamPhysDlg::Applique(TPARAMPHYS& fisik, TDialogues& dialogues) {
    double hautBdes = 0.0;
    bool hautBdesEcrite = false;
    for (int i = 0; i < NbChamps; ++i) {
        const QLineEdit* edit = Edits[static_cast<size_t>(i)];
        if (!edit->isModified()) continue;
        double valeur = 0.0;
        if (!LitNombreUtilisateur(edit->text(), valeur)) {
            dialogues.Message(this, QStringLiteral("Erreur"), MessageConversion(edit->text()),
                              tmErreur);
            return false;
        }
        // The three dimensions go through SetDimension, which recomputes what derives from
        // them; the others are plain writes.
        fisik.SetParametre(i, valeur);
        if (i == IndiceHautBdes) hautBdes = valeur, hautBdesEcrite = true;
    }
    // The cushion height is clamped against the radius of the moment it is written, and the
    // radius box comes after it: typed with a new radius, it is written again so that it is
    // judged against that radius rather than the old one.
    if (hautBdesEcrite) fisik.SetDimension(IndiceHautBdes, hautBdes);
    return true;
}

bool TParamPhysDlg::eventFilter(QObject* objet, QEvent* evenement) {
    auto* edit = qobject_cast<QLineEdit*>(objet);
    if (!edit || evenement->type() != QEvent::KeyPress)
        return QDialog::eventFilter(objet, evenement);
    const auto* touche = static_cast<QKeyEvent*>(evenement);
    if (InsereSeparateur(edit, touche)) return true;
    switch (touche->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        focusNextChild();
        return true;
    case Qt::Key_Escape:
        // Undoes the box's last change and forgets it: the box is as if never typed in. A box
        // with nothing to undo lets Escape close the dialog, as everywhere else.
        if (edit->isUndoAvailable()) {
            edit->undo();
            edit->setText(edit->text()); // clears the undo memory and the modified mark
        } else {
            reject();
        }
        return true;
    case Qt::Key_Backspace:
        return false;
    default:
        break;
    }
    if (touche->matches(QKeySequence::Copy) || touche->matches(QKeySequence::SelectAll))
        return false;
    const QString texte = touche->text();
    // Keys without a character (arrows, Home, Delete, Tab) keep their editing role; of the
    // characters only digits pass, so no sign nor exponent can be typed.
    if (texte.isEmpty()) return false;
    return !(texte.size() == 1 && texte.at(0) >= QLatin1Char('0') &&
             texte.at(0) <= QLatin1Char('9'));
}

bool EditeParametres(TPARAMPHYS& fisik, QWidget* parent, TDialogues* dialogues) {
    TDialoguesQt reels;
    TParamPhysDlg dialogue(parent);
    dialogue.Remplit(fisik);
    if (dialogue.exec() != QDialog::Accepted) return true;
    return dialogue.Applique(fisik, dialogues ? *dialogues : reels);
}
