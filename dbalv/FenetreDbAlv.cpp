#include "dbalv/FenetreDbAlv.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
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
    : QMainWindow(parent), CheminBase(std::move(cheminBase)), NomServeur(std::move(nomServeur)) {
    setWindowTitle(QStringLiteral("dbAlv V.1"));

    auto* centre = new QWidget(this);
    auto* disposition = new QVBoxLayout(centre);
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
    disposition->addWidget(RenvoyerBtn);
    setCentralWidget(centre);

    EtatLbl = new QLabel(this);
    statusBar()->addWidget(EtatLbl, 1);
    resize(900, 400);

    connect(&Liaison, &TTransportDbAlv::BlocRecu, this, &TFenetreDbAlv::BlocRecu);
    connect(RenvoyerBtn, &QPushButton::clicked, this, &TFenetreDbAlv::RenvoieSelection);
    connect(Table, &QTableWidget::cellDoubleClicked, this, [this] { RenvoieSelection(); });
    connect(Table, &QTableWidget::itemSelectionChanged, this, &TFenetreDbAlv::MajBoutons);
}

bool TFenetreDbAlv::Demarre(QString* erreur) {
    // Listen first: a second instance must not touch the database of the first.
    if (TTransportDbAlv::ServeurActif(NomServeur, Liaison.DelaiConnexion)) {
        if (erreur)
            *erreur = QStringLiteral("dbAlv est déjà ouvert : un seul dbAlv reçoit les coups.");
        return false;
    }
    QString raison;
    if (!Liaison.Ecoute(NomServeur, &raison)) {
        if (erreur)
            *erreur = QStringLiteral("dbAlv ne peut pas recevoir de coups sous le nom « %1 » : %2")
                          .arg(NomServeur, raison);
        return false;
    }
    if (!Coups.Ouvre(CheminBase, &raison)) {
        Liaison.ArreteEcoute();
        if (erreur)
            *erreur =
                QStringLiteral("impossible d'ouvrir la base « %1 » : %2").arg(CheminBase, raison);
        return false;
    }
    for (const TCoupStocke& c : Coups.Liste()) AjouteLigne(c);
    Table->resizeColumnsToContents();
    EtatLbl->setText(QStringLiteral("%1 coup(s) dans %2").arg(Table->rowCount()).arg(CheminBase));
    return true;
}

void TFenetreDbAlv::BlocRecu(const QByteArray& bloc, quint64 dwData) {
    QString raison;
    const QDateTime recu = QDateTime::currentDateTimeUtc();
    const qint64 id = Coups.Ajoute(bloc, dwData, recu, &raison);
    if (id == 0) {
        EtatLbl->setText(QStringLiteral("coup reçu non enregistré : %1").arg(raison));
        return;
    }
    if (const auto coup = Coups.Coup(id)) AjouteLigne(*coup);
    Table->resizeColumnsToContents();
    Table->scrollToBottom();
    EtatLbl->setText(QStringLiteral("coup reçu de %1").arg(TTransportDbAlv::NomAlveran(dwData)));
    emit CoupStocke(id);
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

TTransportDbAlv::TEnvoi TFenetreDbAlv::Renvoie(int ligne) {
    QTableWidgetItem* item = Table->item(ligne, kRecu);
    const auto coup = item ? Coups.Coup(item->data(Qt::UserRole).toLongLong()) : std::nullopt;
    if (!coup) return TTransportDbAlv::eNonOuvert;
    const QString cible = TTransportDbAlv::NomAlveran(coup->Expediteur);
    const auto resultat =
        Liaison.Envoie(cible, static_cast<quint64>(QCoreApplication::applicationPid()), coup->Bloc);
    switch (resultat) {
    case TTransportDbAlv::eEnvoye:
        EtatLbl->setText(QStringLiteral("coup envoyé à %1").arg(cible));
        break;
    case TTransportDbAlv::eNonOuvert:
        EtatLbl->setText(QStringLiteral("%1 n'est pas ouvert").arg(cible));
        break;
    case TTransportDbAlv::eSansReponse:
        EtatLbl->setText(QStringLiteral("%1 n'a pas répondu").arg(cible));
        break;
    }
    return resultat;
}

void TFenetreDbAlv::RenvoieSelection() {
    const int ligne = Table->currentRow();
    if (ligne >= 0 && Table->item(ligne, kRecu)->isSelected()) Renvoie(ligne);
}

void TFenetreDbAlv::MajBoutons() {
    RenvoyerBtn->setEnabled(!Table->selectedItems().isEmpty());
}
