#include "windows/Systeme.h"

#include "dessin/CarteSysteme.h"
#include "windows/Services.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <thread>

TSystemeFrm::TSystemeFrm(TServicesMain& services, QWidget* parent)
    : QWidget(parent, Qt::Window), Services(services) {
    setWindowTitle(QStringLiteral("Système des diamants"));
    setObjectName(QStringLiteral("SystemeFrm"));

    const auto fraction = [this](const char* nom, double mini, double valeur) {
        auto* edit = new QDoubleSpinBox(this);
        edit->setObjectName(QString::fromLatin1(nom));
        edit->setRange(mini, 0.7);
        edit->setSingleStep(0.05);
        edit->setDecimals(2);
        edit->setValue(valeur);
        edit->setSuffix(QStringLiteral(" R"));
        return edit;
    };
    EffetEdt = fraction("EffetEdt", 0.0, 0.4);
    EffetEdt->setToolTip(QStringLiteral("Effet coulé, en fraction du rayon de la bille"));
    HauteurEdt = fraction("HauteurEdt", -0.7, 0.0);
    HauteurEdt->setToolTip(QStringLiteral("Hauteur du procédé au-dessus du centre"));
    VitesseCbx = new QComboBox(this);
    VitesseCbx->setObjectName(QStringLiteral("VitesseCbx"));
    for (const TVitesseSysteme v :
         {TVitesseSysteme::Lente, TVitesseSysteme::Moyenne, TVitesseSysteme::Rapide})
        VitesseCbx->addItem(QString::fromUtf8(NomVitesseSysteme(v)), static_cast<int>(v));
    VitesseCbx->setCurrentIndex(1);
    VitesseCbx->setToolTip(QStringLiteral("Lente, moyenne, rapide : une bille frappée au centre "
                                          "roulerait 3, 4,5 ou 7 longueurs de table"));
    CalculeBtn = new QPushButton(QStringLiteral("Calculer"), this);
    CalculeBtn->setObjectName(QStringLiteral("CalculeBtn"));
    EnregistreBtn = new QPushButton(QStringLiteral("Enregistrer l'image…"), this);
    EnregistreBtn->setObjectName(QStringLiteral("EnregistreBtn"));
    EnregistreBtn->setEnabled(false);
    EtatLbl = new QLabel(this);
    EtatLbl->setObjectName(QStringLiteral("EtatLbl"));
    ImageLbl = new QLabel(this);
    ImageLbl->setObjectName(QStringLiteral("ImageLbl"));
    ImageLbl->setMinimumSize(600, 400);
    ImageLbl->setAlignment(Qt::AlignCenter);

    auto* choix = new QHBoxLayout;
    choix->addWidget(new QLabel(QStringLiteral("Effet"), this));
    choix->addWidget(EffetEdt);
    choix->addWidget(new QLabel(QStringLiteral("Hauteur"), this));
    choix->addWidget(HauteurEdt);
    choix->addWidget(new QLabel(QStringLiteral("Vitesse"), this));
    choix->addWidget(VitesseCbx);
    choix->addWidget(CalculeBtn);
    choix->addStretch(1);
    choix->addWidget(EnregistreBtn);
    auto* colonne = new QVBoxLayout(this);
    colonne->addLayout(choix);
    colonne->addWidget(EtatLbl);
    colonne->addWidget(ImageLbl, 1);

    FSonde = new QTimer(this);
    FSonde->setInterval(40);
    connect(FSonde, &QTimer::timeout, this, [this] { Sonde(); });
    connect(CalculeBtn, &QPushButton::clicked, this, [this] { Calcule(); });
    connect(EnregistreBtn, &QPushButton::clicked, this, [this] { EnregistreClick(); });
    // A new stroke is a new chart.
    connect(EffetEdt, &QDoubleSpinBox::valueChanged, this, [this] { Calcule(); });
    connect(HauteurEdt, &QDoubleSpinBox::valueChanged, this, [this] { Calcule(); });
    connect(VitesseCbx, &QComboBox::currentIndexChanged, this, [this] { Calcule(); });
    resize(1000, 720);
}

TSystemeFrm::~TSystemeFrm() {
    FArret.store(true);
    if (FTravail.valid()) FTravail.wait();
}

void TSystemeFrm::showEvent(QShowEvent* evenement) {
    QWidget::showEvent(evenement);
    // The constants may have changed since the last chart.
    Calcule();
}

void TSystemeFrm::resizeEvent(QResizeEvent* evenement) {
    QWidget::resizeEvent(evenement);
    Affiche();
}

void TSystemeFrm::Calcule() {
    if (FTravail.valid()) {
        // Asked again while running: the chart is redone with the latest choices at the end.
        FArret.store(true);
        return;
    }
    FArret.store(false);
    const double effet = EffetEdt->value(), hauteur = HauteurEdt->value();
    if (effet * effet + hauteur * hauteur >= 1) {
        EtatLbl->setText(QStringLiteral("La queue manque la bille avec cet effet et cette "
                                        "hauteur."));
        return;
    }
    FModele = std::make_unique<TBillardAlveran>(Services.MoteurPartage());
    FModele->ApresQueueBille = {};
    FModele->ApresCalculTrajets = {};
    TOptionsSysteme options;
    options.Coup.Effet = effet;
    options.Coup.Hauteur = hauteur;
    options.Coup.Vitesse = static_cast<TVitesseSysteme>(VitesseCbx->currentData().toInt());
    options.Threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    options.Arret = &FArret;
    const TBillardAlveran* modele = FModele.get();
    FTravail = std::async(std::launch::async, [modele, options] {
        TCalcul c;
        c.Resultat = CalculeSysteme(*modele, options);
        if (!c.Resultat.Interrompu) c.Meilleur = RechercheEffetSysteme(*modele, options);
        return c;
    });
    EtatLbl->setText(QStringLiteral("Calcul des 43 coups du système et du meilleur effet…"));
    CalculeBtn->setEnabled(false);
    FSonde->start();
}

void TSystemeFrm::Sonde() {
    if (!FTravail.valid() ||
        FTravail.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    FSonde->stop();
    const TCalcul c = FTravail.get();
    CalculeBtn->setEnabled(true);
    if (FArret.load()) {
        // Stopped for newer choices (or constants): start again with them.
        Calcule();
        return;
    }
    FResultat = c.Resultat;
    FMeilleur = c.Meilleur;
    const QLocale locale;
    if (!(FResultat.Vq > 0)) {
        EtatLbl->setText(QStringLiteral("Ce coup n'a pas de solution (choc queue-bille "
                                        "insoluble) ou la bille ne roule pas sur ce tapis."));
        FImage = QImage();
    } else {
        TCarteSysteme carte;
        carte.Moteur = FModele.get();
        carte.Resultat = &FResultat;
        carte.Legende = LegendeSysteme(FResultat, FMeilleur, locale);
        const QSizeF taille = TailleCarteSysteme(carte);
        FImage = QImage(taille.toSize(), QImage::Format_RGB32);
        QPainter p(&FImage);
        DessineCarteSysteme(p, carte);
        p.end();
        EtatLbl->setText(carte.Legende.value(1));
    }
    EnregistreBtn->setEnabled(!FImage.isNull());
    Affiche();
    emit CalculTermine();
}

void TSystemeFrm::Affiche() {
    if (FImage.isNull()) {
        ImageLbl->clear();
        return;
    }
    const qreal echelle = devicePixelRatioF();
    QImage image =
        FImage.scaled(ImageLbl->size() * echelle, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image.setDevicePixelRatio(echelle);
    ImageLbl->setPixmap(QPixmap::fromImage(image));
}

bool TSystemeFrm::Enregistre(const QString& nom, QString& erreur) const {
    if (FResultat.Points.empty() || !FModele) {
        erreur = QStringLiteral("aucun calcul à enregistrer");
        return false;
    }
    TCarteSysteme carte;
    carte.Moteur = FModele.get();
    carte.Resultat = &FResultat;
    carte.Legende = LegendeSysteme(FResultat, FMeilleur, QLocale());
    return EcritCarteSysteme(carte, nom, erreur);
}

void TSystemeFrm::EnregistreClick() {
    const QStringList filtres = {QStringLiteral("Image PNG (*.png)"),
                                 QStringLiteral("Image SVG (*.svg)")};
    const std::optional<TChoixFichier> choix = Services.Dialogues().FichierASauver(this, filtres);
    if (!choix) return;
    // A name ending in .png or .svg says it all; otherwise the selected type gives the ending.
    QString nom = choix->Nom;
    const QString extension = QFileInfo(nom).suffix().toLower();
    if (extension != QStringLiteral("png") && extension != QStringLiteral("svg"))
        nom += choix->IndiceFiltre == 1 ? QStringLiteral(".svg") : QStringLiteral(".png");
    QString erreur;
    if (!Enregistre(nom, erreur))
        Services.Dialogues().Message(this, QStringLiteral("Erreur"), erreur, tmErreur);
}
