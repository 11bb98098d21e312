#include "dbalv/FenetreDbAlv.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTime>
#include <QVBoxLayout>

namespace {

QString TexteType(int32_t type) {
    switch (type) {
    case tcQueue:
        return QStringLiteral("Queue");
    case tcVitesseRotation:
        return QStringLiteral("Vitesse et Rotation");
    default:
        return QLocale().toString(type);
    }
}

QString OuiNon(uint8_t octet) {
    return octet ? QStringLiteral("oui") : QStringLiteral("non");
}

QString Distance(double v) {
    return QLocale().toString(v, 'f', 3);
}

} // namespace

TFenetreDbAlv::TFenetreDbAlv(QString cheminBase, QString nomServeur, QWidget* parent)
    : QMainWindow(parent), CheminBase(std::move(cheminBase)), NomServeur(std::move(nomServeur)),
      Verrou(CheminBase + QStringLiteral(".lock")) {
    setWindowTitle(QStringLiteral("dbAlv V.1"));

    auto* centre = new QWidget(this);
    auto* disposition = new QVBoxLayout(centre);
    CreeAlerte(centre);
    disposition->addWidget(AlerteCadre);
    Table = new QTableWidget(0, kNbColonnes, centre);
    Table->setHorizontalHeaderLabels(
        {QStringLiteral("Reçu"), QStringLiteral("Expéditeur"), QStringLiteral("Type"),
         QStringLiteral("Point"), QStringLiteral("Contre"), QStringLiteral("Séquence"),
         QStringLiteral("D13"), QStringLiteral("P13"), QStringLiteral("d")});
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->setVisible(false);
    Table->horizontalHeader()->setStretchLastSection(true);
    disposition->addWidget(Table);

    RenvoyerBtn = new QPushButton(QStringLiteral("Renvoyer vers Alveran"), centre);
    RenvoyerBtn->setEnabled(false);
    RenvoyerBtn->setToolTip(QStringLiteral("Renvoie le coup à la fenêtre qui l'a envoyé si "
                                           "elle est ouverte, sinon à la plus récente"));
    RenvoyerVersBtn = new QPushButton(QStringLiteral("Renvoyer vers…"), centre);
    RenvoyerVersBtn->setEnabled(false);
    MenuFenetres = new QMenu(RenvoyerVersBtn);
    RenvoyerVersBtn->setMenu(MenuFenetres);
    auto* boutons = new QHBoxLayout;
    boutons->addWidget(RenvoyerBtn, 1);
    boutons->addWidget(RenvoyerVersBtn);
    disposition->addLayout(boutons);
    setCentralWidget(centre);

    EtatLbl = new QLabel(this);
    statusBar()->addWidget(EtatLbl, 1);
    resize(900, 400);

    connect(&Liaison, &TTransportDbAlv::BlocRecu, this, &TFenetreDbAlv::BlocRecu);
    connect(&Liaison, &TTransportDbAlv::EnvoiTermine, this, &TFenetreDbAlv::RenvoiTermine);
    connect(RenvoyerBtn, &QPushButton::clicked, this, &TFenetreDbAlv::RenvoieSelection);
    connect(Table, &QTableWidget::cellDoubleClicked, this, [this] { RenvoieSelection(); });
    connect(Table, &QTableWidget::itemSelectionChanged, this, &TFenetreDbAlv::MajBoutons);
    connect(MenuFenetres, &QMenu::aboutToShow, this, &TFenetreDbAlv::RemplitMenuFenetres);
}

void TFenetreDbAlv::CreeAlerte(QWidget* parent) {
    // A shot that was not stored must not pass unnoticed: a red banner above the list, which
    // stays until the user hides it.
    AlerteCadre = new QWidget(parent);
    AlerteCadre->setAutoFillBackground(true);
    QPalette rouge = AlerteCadre->palette();
    rouge.setColor(QPalette::Window, QColor(0xc0, 0x10, 0x10));
    rouge.setColor(QPalette::WindowText, Qt::white);
    AlerteCadre->setPalette(rouge);
    auto* ligne = new QHBoxLayout(AlerteCadre);
    AlerteLbl = new QLabel(AlerteCadre);
    AlerteLbl->setWordWrap(true);
    QFont gras = AlerteLbl->font();
    gras.setBold(true);
    AlerteLbl->setFont(gras);
    ligne->addWidget(AlerteLbl, 1);
    auto* masquer = new QPushButton(QStringLiteral("Masquer"), AlerteCadre);
    ligne->addWidget(masquer);
    connect(masquer, &QPushButton::clicked, this, [this] {
        NbNonEnregistres = 0;
        AlerteCadre->hide();
    });
    AlerteCadre->hide();
}

QString TFenetreDbAlv::TexteAlerte() const {
    return AlerteCadre->isHidden() ? QString() : AlerteLbl->text();
}

bool TFenetreDbAlv::Demarre(QString* erreur) {
    const auto refuse = [erreur](const QString& texte) {
        if (erreur) *erreur = texte;
        return false;
    };
    if (TTransportDbAlv::ServeurActif(NomServeur, Liaison.DelaiConnexion))
        return refuse(QStringLiteral("dbAlv est déjà ouvert : un seul dbAlv reçoit les coups."));
    // The name alone does not keep two writers off one file: a dbAlv whose socket went away,
    // or one started with another runtime folder, would not be seen. The lock beside the file
    // is an OS lock that dies with its process: whatever a file left there holds, only a
    // running dbAlv refuses.
    switch (Verrou.Prend()) {
    case TVerrouBase::vPris:
        break;
    case TVerrouBase::vTenu:
        return refuse(QStringLiteral("dbAlv est déjà ouvert sur la base « %1 » : un seul "
                                     "dbAlv y écrit.")
                          .arg(CheminBase));
    case TVerrouBase::vImpossible:
        return refuse(QStringLiteral("impossible de prendre le verrou de la base « %1 » : %2")
                          .arg(CheminBase, Verrou.Raison()));
    }
    QString raison;
    if (!Coups.Ouvre(CheminBase, &raison)) {
        Verrou.Libere();
        return refuse(
            QStringLiteral("impossible d'ouvrir la base « %1 » : %2").arg(CheminBase, raison));
    }
    if (!Liaison.Ecoute(NomServeur, &raison)) {
        Verrou.Libere();
        return refuse(QStringLiteral("dbAlv ne peut pas recevoir de coups sous le nom « %1 » : %2")
                          .arg(NomServeur, raison));
    }
    for (const TCoupStocke& c : Coups.Liste()) AjouteLigne(c);
    Table->resizeColumnsToContents();
    EtatLbl->setText(QStringLiteral("%1 coup(s) dans %2").arg(Table->rowCount()).arg(CheminBase));
    return true;
}

void TFenetreDbAlv::BlocRecu(const QByteArray& bloc, quint64 dwData) {
    TEchecAjout echec;
    const QDateTime recu = QDateTime::currentDateTimeUtc();
    const int reouvertures = Coups.Reouvertures();
    const qint64 id = Coups.Ajoute(bloc, dwData, recu, &echec);
    if (Coups.Reouvertures() != reouvertures) {
        // Another file (or the same one back) at the database's path: list what it holds.
        Table->setRowCount(0);
        for (const TCoupStocke& c : Coups.Liste())
            if (c.Id != id) AjouteLigne(c);
    }
    if (id == 0) {
        // The sender learns it from the answer; the user here from the banner.
        Liaison.FixeReponse(echec.Code);
        SignaleNonEnregistre(dwData, echec.Texte);
        return;
    }
    if (const auto coup = Coups.Coup(id)) AjouteLigne(*coup);
    Table->resizeColumnsToContents();
    Table->scrollToBottom();
    EtatLbl->setText(QStringLiteral("coup reçu de %1").arg(TTransportDbAlv::NomAlveran(dwData)));
    emit CoupStocke(id);
}

void TFenetreDbAlv::SignaleNonEnregistre(quint64 dwData, const QString& raison) {
    ++NbNonEnregistres;
    const QString expediteur = TTransportDbAlv::NomAlveran(dwData);
    QString texte =
        QStringLiteral("COUP NON ENREGISTRÉ : le coup reçu de %1 à %2 n'est pas dans "
                       "la base (%3).")
            .arg(expediteur, QLocale().toString(QTime::currentTime(), QLocale::ShortFormat),
                 raison);
    if (NbNonEnregistres > 1)
        texte +=
            QStringLiteral("\n%1 coups reçus n'ont pas été enregistrés.").arg(NbNonEnregistres);
    AlerteLbl->setText(texte);
    AlerteCadre->show();
    EtatLbl->setText(QStringLiteral("coup reçu de %1 non enregistré : %2").arg(expediteur, raison));
    QApplication::alert(this);
}

void TFenetreDbAlv::AjouteLigne(const TCoupStocke& coup) {
    const int ligne = Table->rowCount();
    Table->insertRow(ligne);
    const TCoupDb& b = coup.Coup;
    const QString textes[kNbColonnes] = {
        QLocale().toString(coup.Recu.toLocalTime(), QLocale::ShortFormat),
        QString::number(coup.Expediteur),
        TexteType(b.Type),
        OuiNon(b.Point),
        OuiNon(b.Contre),
        QString::fromLatin1(b.TexteSequence().c_str()),
        Distance(b.D13),
        Distance(b.P13),
        Distance(b.d)};
    for (int k = 0; k < kNbColonnes; ++k) {
        auto* item = new QTableWidgetItem(textes[k]);
        if (k >= kD13) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Table->setItem(ligne, k, item);
    }
    Table->item(ligne, kRecu)->setData(Qt::UserRole, coup.Id);
}

bool TFenetreDbAlv::Renvoie(int ligne, quint64 choisie) {
    QTableWidgetItem* item = Table->item(ligne, kRecu);
    const auto coup = item ? Coups.Coup(item->data(Qt::UserRole).toLongLong()) : std::nullopt;
    if (!coup) return false;
    // Stored shots outlive the window that sent them: after a restart its pid names nothing,
    // so the shot goes to a main window that runs rather than nowhere.
    const quint64 pid = choisie ? choisie
                                : TTransportDbAlv::CibleRenvoi(coup->Expediteur,
                                                               TTransportDbAlv::FenetresAlveran());
    if (pid == 0) {
        EtatLbl->setText(QStringLiteral("aucune fenêtre Alveran n'est ouverte : coup non envoyé"));
        emit CoupRenvoye(TTransportDbAlv::eNonOuvert);
        return true;
    }
    const QString cible = TTransportDbAlv::NomAlveran(pid);
    const QString note = pid == coup->Expediteur || choisie
                             ? QString()
                             : QStringLiteral(" (%1 n'est plus ouvert)")
                                   .arg(TTransportDbAlv::NomAlveran(coup->Expediteur));
    Renvois.insert(
        Liaison.Lance(cible, static_cast<quint64>(QCoreApplication::applicationPid()), coup->Bloc),
        {cible, note});
    EtatLbl->setText(QStringLiteral("envoi du coup à %1…").arg(cible) + note);
    return true;
}

QStringList TFenetreDbAlv::ChoixFenetres() {
    RemplitMenuFenetres();
    QStringList textes;
    for (const QAction* a : MenuFenetres->actions()) textes << a->text();
    return textes;
}

void TFenetreDbAlv::RemplitMenuFenetres() {
    MenuFenetres->clear();
    const int ligne = Table->currentRow();
    QTableWidgetItem* item = Table->item(ligne, kRecu);
    const auto coup = item ? Coups.Coup(item->data(Qt::UserRole).toLongLong()) : std::nullopt;
    const QList<quint64> ouvertes = TTransportDbAlv::FenetresAlveran();
    if (ouvertes.isEmpty()) {
        MenuFenetres->addAction(QStringLiteral("aucune fenêtre Alveran n'est ouverte"))
            ->setEnabled(false);
        return;
    }
    for (int k = 0; k < ouvertes.size(); ++k) {
        const quint64 pid = ouvertes[k];
        QString texte = TTransportDbAlv::NomAlveran(pid);
        if (coup && pid == coup->Expediteur)
            texte += QStringLiteral(" (expéditeur)");
        else if (k == 0)
            texte += QStringLiteral(" (la plus récente)");
        MenuFenetres->addAction(texte, this, [this, ligne, pid] { Renvoie(ligne, pid); });
    }
}

void TFenetreDbAlv::RenvoiTermine(quint64 numero, TTransportDbAlv::TEnvoi etat, quint64 reponse) {
    if (!Renvois.contains(numero)) return;
    const TRenvoi renvoi = Renvois.take(numero);
    const QString& cible = renvoi.Cible;
    switch (etat) {
    case TTransportDbAlv::eEnvoye:
        EtatLbl->setText(QStringLiteral("coup envoyé à %1").arg(cible) + renvoi.Note);
        break;
    case TTransportDbAlv::eNonOuvert:
        EtatLbl->setText(QStringLiteral("%1 n'est pas ouvert").arg(cible));
        break;
    case TTransportDbAlv::eSansReponse:
        EtatLbl->setText(QStringLiteral("%1 n'a pas répondu").arg(cible));
        break;
    case TTransportDbAlv::eRefuse:
        EtatLbl->setText(
            QStringLiteral("%1 a refusé le coup (réponse %2)").arg(cible).arg(reponse));
        break;
    case TTransportDbAlv::eAutreUtilisateur:
        EtatLbl->setText(
            QStringLiteral("« %1 » appartient à un autre utilisateur : coup non envoyé")
                .arg(cible));
        break;
    }
    emit CoupRenvoye(etat);
}

void TFenetreDbAlv::RenvoieSelection() {
    const int ligne = Table->currentRow();
    if (ligne >= 0 && Table->item(ligne, kRecu)->isSelected()) Renvoie(ligne);
}

void TFenetreDbAlv::MajBoutons() {
    RenvoyerBtn->setEnabled(!Table->selectedItems().isEmpty());
    RenvoyerVersBtn->setEnabled(RenvoyerBtn->isEnabled());
}
