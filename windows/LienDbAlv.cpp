#include "windows/LienDbAlv.h"

#include <QCoreApplication>

#include <span>

TLienDbAlv::TLienDbAlv(QObject* parent)
    : QObject(parent), FTransport(std::make_unique<TTransportDbAlv>()),
      FNomServeur(TTransportDbAlv::NomDbAlv()) {
    const auto pid = static_cast<quint64>(QCoreApplication::applicationPid());
    FTransport->Ecoute(TTransportDbAlv::NomAlveran(pid));
    connect(FTransport.get(), &TTransportDbAlv::BlocRecu, this,
            [this](const QByteArray& donnees, quint64) { Recoit(donnees); });
    connect(FTransport.get(), &TTransportDbAlv::EnvoiTermine, this,
            [this](quint64, TTransportDbAlv::TEnvoi etat, quint64 reponse) {
                const QString texte = TexteEnvoi(etat, reponse);
                if (!texte.isEmpty()) emit EchecEnvoi(texte);
            });
}

TLienDbAlv::~TLienDbAlv() = default;

void TLienDbAlv::Recoit(const QByteArray& donnees) {
    if (donnees.size() != static_cast<qsizetype>(TailleCoupDb)) return;
    const auto* octets = reinterpret_cast<const uint8_t*>(donnees.constData());
    emit CoupRecu(DecodeCoupDb(std::span<const uint8_t, TailleCoupDb>(octets, TailleCoupDb)));
}

void TLienDbAlv::Envoie(const TCoupDb& bloc) {
    const TOctetsCoupDb octets = EncodeCoupDb(bloc);
    const QByteArray donnees(reinterpret_cast<const char*>(octets.data()),
                             static_cast<qsizetype>(octets.size()));
    // The window goes on at once: a stopped dbAlv costs only its time-outs, reported then.
    FTransport->Lance(FNomServeur, static_cast<quint64>(QCoreApplication::applicationPid()),
                      donnees);
}

QString TLienDbAlv::TexteEnvoi(TTransportDbAlv::TEnvoi etat, quint64 reponse) const {
    switch (etat) {
    case TTransportDbAlv::eEnvoye:
        return {};
    case TTransportDbAlv::eNonOuvert:
        return TTransportDbAlv::TexteDbAlvNonOuvert();
    case TTransportDbAlv::eSansReponse:
        return QStringLiteral("dbAlv n'a pas répondu : le coup n'est peut-être pas enregistré");
    case TTransportDbAlv::eRefuse:
        return QStringLiteral("coup non enregistré par dbAlv : ") +
               TTransportDbAlv::TexteReponse(reponse);
    case TTransportDbAlv::eAutreUtilisateur:
        return QStringLiteral("« %1 » appartient à un autre utilisateur : coup non envoyé")
            .arg(FNomServeur);
    }
    return {};
}
