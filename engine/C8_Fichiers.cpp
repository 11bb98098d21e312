// Position files and the clipboard text of a shot: the stroke and the state of record 0
// written as "key=value" lines with "." as decimal separator.

#include "engine/C8_BillardAlveran.h"
#include "engine/Nombres.h"
#include "engine/ProfilIni.h"

#include <cctype>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr const char* SectionQueue = "Queue";
constexpr const char* SectionPositions = "Positions";
constexpr const char* SectionVitesses = "Vitesses";
constexpr const char* SectionRotations = "Rotations";
/// The cue ball's colour, in the "Positions" section; readers that do not know the key skip it.
constexpr const char* CleBilleJoueur = "BilleJoueur";

void EcritBilleJoueur(TProfilIni& ini, TBilleJoueur bille) {
    if (bille == bjInconnue) return;
    ini.Ecrit(SectionPositions, CleBilleJoueur, bille == bjJaune ? "jaune" : "blanche");
}

/// "jaune" or "blanche" in any letter case, blanks around allowed; anything else: unknown.
TBilleJoueur LitBilleJoueur(const std::optional<std::string>& valeur) {
    if (!valeur) return bjInconnue;
    std::string t;
    for (char c : *valeur)
        if (c != ' ' && c != '\t')
            t.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (t == "jaune") return bjJaune;
    if (t == "blanche") return bjBlanche;
    return bjInconnue;
}

/// The stroke keys of the "Queue" section, in file order.
struct TCleQueue {
    const char* Nom;
    double TCoupQueue::*Champ;
};
constexpr TCleQueue ClesQueue[] = {
    {"Vq", &TCoupQueue::Vq},           {"m", &TCoupQueue::m},
    {"AngleOx", &TCoupQueue::AngleOx}, {"AngleTapis", &TCoupQueue::AngleTapis},
    {"Effet", &TCoupQueue::Effet},     {"Hauteur", &TCoupQueue::Hauteur},
};

/// One vector key per ball and component: P1x … P3z (or V…, R…), in file order.
struct TCleVecteur {
    std::string Nom;
    int Bille;      ///< 1 to 3
    int Composante; ///< 0 = x, 1 = y, 2 = z
};

std::vector<TCleVecteur> ClesVecteur(char prefixe) {
    std::vector<TCleVecteur> cles;
    for (int b = 1; b <= 3; ++b)
        for (int c = 0; c < 3; ++c)
            cles.push_back({std::string{prefixe, static_cast<char>('0' + b), "xyz"[c]}, b, c});
    return cles;
}

double& Composante(TVecteur& v, int c) {
    return c == 0 ? v.x : (c == 1 ? v.y : v.z);
}
double Composante(const TVecteur& v, int c) {
    return c == 0 ? v.x : (c == 1 ? v.y : v.z);
}

/// The vector of record 0 that a key prefix stands for.
TVecteur& VecteurDe(TCinematique& k, char prefixe) {
    return prefixe == 'P' ? k.Position : (prefixe == 'V' ? k.Vitesse : k.Rotation);
}

void EcritVecteurs(TProfilIni& ini, const TBillardAlveran& moteur, const char* section,
                   char prefixe) {
    for (const TCleVecteur& cle : ClesVecteur(prefixe)) {
        TCinematique k = moteur.Trajets[cle.Bille][0];
        ini.Ecrit(section, cle.Nom, TexteNombre(Composante(VecteurDe(k, prefixe), cle.Composante)));
    }
}

/// The keys of the vectors of one section, appended to what a reader looks for.
void AjouteClesVecteur(std::vector<TCleProfil>& cles, const char* section, char prefixe) {
    for (const TCleVecteur& cle : ClesVecteur(prefixe)) cles.push_back({section, cle.Nom, {}});
}

/// Takes the values read from a file into the engine, in the order the keys were listed.
class TPriseValeurs {
  public:
    explicit TPriseValeurs(const std::vector<TCleProfil>& cles) : FCles(cles) {}

    /// The next key's value; a missing key, an empty value or one that does not convert
    /// gives `defaut`.
    double Suivante(double defaut) {
        double valeur = defaut;
        const auto& texte = FCles[FIndice++].Valeur;
        if (texte && LitNombre(*texte, valeur)) ++FNbValeurs;
        return valeur;
    }

    void Vecteurs(TBillardAlveran& moteur, char prefixe) {
        for (const TCleVecteur& cle : ClesVecteur(prefixe)) {
            TVecteur& v = VecteurDe(moteur.Trajets[cle.Bille][0], prefixe);
            Composante(v, cle.Composante) = Suivante(0.0);
        }
    }

    int NbValeurs() const { return FNbValeurs; }

  private:
    const std::vector<TCleProfil>& FCles;
    std::size_t FIndice = 0;
    int FNbValeurs = 0;
};

std::string Majuscules(std::string_view t) {
    std::string r(t);
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

/// Reads the existing file (absent: empty text), lets `remplit` set the keys, then replaces
/// the file at once. On failure the file is as it was and `erreur` says so.
template <class F> bool MetAJourFichier(const std::string& nom, std::string& erreur, F remplit) {
    const std::string echec = "Impossible d'écrire dans " + nom;
    // A read-only file stays as its owner wanted it.
    if (FichierLectureSeule(nom)) {
        erreur = echec + " : fichier en lecture seule";
        return false;
    }
    // An existing file that cannot be read is not overwritten: its other lines would be lost.
    std::string ancien;
    switch (ChargeProfil(nom, ancien)) {
    case lpLu:
    case lpAbsent:
        break;
    case lpTropGros:
        erreur = echec + " : le fichier existant est trop gros (plus de 16 Mio)";
        return false;
    case lpIllisible:
        erreur = echec;
        return false;
    }
    TProfilIni ini(std::move(ancien));
    remplit(ini);
    if (!RemplaceFichier(nom, ini.Texte())) {
        erreur = echec;
        return false;
    }
    return true;
}

} // namespace

int TBillardAlveran::EcritPositionQueue(const std::string& nom, std::string& erreur) {
    const bool ok = MetAJourFichier(nom, erreur, [this](TProfilIni& ini) {
        for (const TCleQueue& cle : ClesQueue)
            ini.Ecrit(SectionQueue, cle.Nom, TexteNombre(Coup.*cle.Champ));
        EcritVecteurs(ini, *this, SectionPositions, 'P');
        EcritBilleJoueur(ini, BilleJoueur);
    });
    if (!ok) return 0;
    NomFichier = nom;
    return 1;
}

int TBillardAlveran::EcritPositionVitesses(const std::string& nom, std::string& erreur) {
    const bool ok = MetAJourFichier(nom, erreur, [this](TProfilIni& ini) {
        EcritVecteurs(ini, *this, SectionPositions, 'P');
        EcritVecteurs(ini, *this, SectionVitesses, 'V');
        EcritVecteurs(ini, *this, SectionRotations, 'R');
        EcritBilleJoueur(ini, BilleJoueur);
    });
    if (!ok) return 0;
    NomFichier = nom;
    return 2;
}

int TBillardAlveran::LitPosition(const std::string& nom) {
    TRapportLecture rapport;
    return LitPosition(nom, rapport);
}

int TBillardAlveran::LitPosition(const std::string& nom, TRapportLecture& rapport) {
    rapport = TRapportLecture();
    const std::size_t point = nom.rfind('.');
    const std::string extension = point == std::string::npos
                                      ? std::string()
                                      : Majuscules(std::string_view(nom).substr(point));
    int variante = 0;
    if (extension == ".ALV")
        variante = 1;
    else if (extension == ".ALV2")
        variante = 2;
    else
        return 0;

    std::vector<TCleProfil> cles;
    if (variante == 1) {
        for (const TCleQueue& cle : ClesQueue) cles.push_back({SectionQueue, cle.Nom, {}});
        AjouteClesVecteur(cles, SectionPositions, 'P');
    } else {
        AjouteClesVecteur(cles, SectionPositions, 'P');
        AjouteClesVecteur(cles, SectionVitesses, 'V');
        AjouteClesVecteur(cles, SectionRotations, 'R');
    }
    cles.push_back({SectionPositions, CleBilleJoueur, {}});
    // A missing file reads as an empty one: every key takes its default. A file that is
    // there but cannot be read (a folder, no permission, an I/O error, far too large)
    // changes nothing.
    rapport.Etat = LitClesProfil(nom, cles);
    if (rapport.Etat == lpIllisible) {
        rapport.Erreur = "Impossible de lire " + nom;
        return 0;
    }
    if (rapport.Etat == lpTropGros) {
        rapport.Erreur = "Fichier trop gros pour une position (plus de 16 Mio) : " + nom;
        return 0;
    }

    TPriseValeurs prise(cles);
    if (variante == 1) {
        for (const TCleQueue& cle : ClesQueue) {
            // The cue speed and mass keep their current value when absent; the rest is 0.
            const bool garde = cle.Champ == &TCoupQueue::Vq || cle.Champ == &TCoupQueue::m;
            Coup.*cle.Champ = prise.Suivante(garde ? Coup.*cle.Champ : 0.0);
        }
        prise.Vecteurs(*this, 'P');
    } else {
        prise.Vecteurs(*this, 'P');
        prise.Vecteurs(*this, 'V');
        prise.Vecteurs(*this, 'R');
    }
    rapport.NbValeurs = prise.NbValeurs();
    BilleJoueur = LitBilleJoueur(cles.back().Valeur);
    NomFichier = nom;
    return variante;
}

std::string TBillardAlveran::TextePressePapiers() const {
    std::string texte = std::string("[") + SectionQueue + "]";
    for (const TCleQueue& cle : ClesQueue)
        texte += std::string("\r\n") + cle.Nom + "=" + TexteNombre(Coup.*cle.Champ);
    texte += std::string("\r\n[") + SectionPositions + "]";
    for (const TCleVecteur& cle : ClesVecteur('P'))
        texte += "\r\n" + cle.Nom + "=" +
                 TexteNombre(Composante(Trajets[cle.Bille][0].Position, cle.Composante));
    return texte;
}

namespace {

/// The lines of a pasted text, split at CR, LF or CR LF.
std::vector<std::string_view> Lignes(std::string_view texte) {
    std::vector<std::string_view> lignes;
    std::size_t debut = 0;
    while (debut <= texte.size()) {
        const std::size_t fin = texte.find_first_of("\r\n", debut);
        if (fin == std::string_view::npos) {
            lignes.push_back(texte.substr(debut));
            break;
        }
        lignes.push_back(texte.substr(debut, fin - debut));
        debut = fin +
                ((texte[fin] == '\r' && fin + 1 < texte.size() && texte[fin + 1] == '\n') ? 2 : 1);
    }
    return lignes;
}

/// Letter case aside, the same text; blanks count (a line "Vq =1" is not the key Vq).
bool MemeCle(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

/// The value of the first line whose text before its first "=" is `cle`; nothing if none.
std::optional<std::string_view> ValeurCollee(const std::vector<std::string_view>& lignes,
                                             std::string_view cle) {
    for (const std::string_view ligne : lignes) {
        const std::size_t egal = ligne.find('=');
        if (egal != std::string_view::npos && MemeCle(ligne.substr(0, egal), cle))
            return ligne.substr(egal + 1);
    }
    return std::nullopt;
}

/// The error of a pasted value that does not convert.
std::string MessageConversion(std::string_view valeur) {
    constexpr std::string_view Suite = "' n'est pas une valeur en virgule flottante correcte";
    std::string message;
    message.reserve(valeur.size() + Suite.size() + 1);
    message.push_back('\'');
    message.append(valeur.data(), valeur.size());
    message.append(Suite.data(), Suite.size());
    return message;
}

} // namespace

TResultatCollage TBillardAlveran::CollePressePapiersTexte(const std::string& texte) {
    TResultatCollage resultat;
    // A decimal comma is taken as the point; a thousands comma then spoils the number.
    std::string points = texte;
    for (char& c : points)
        if (c == ',') c = '.';
    const std::vector<std::string_view> lignes = Lignes(points);

    // Takes one key; false when its value does not convert and the paste stops there.
    auto prend = [&](std::string_view cle, double& champ) {
        const auto valeur = ValeurCollee(lignes, cle);
        if (!valeur || valeur->empty()) {
            resultat.Manquants += ' ';
            resultat.Manquants += cle;
            return true;
        }
        if (!LitNombre(*valeur, champ)) {
            resultat.Erreur = MessageConversion(*valeur);
            return false;
        }
        return true;
    };
    for (const TCleQueue& cle : ClesQueue)
        if (!prend(cle.Nom, Coup.*cle.Champ)) return resultat;
    for (const TCleVecteur& cle : ClesVecteur('P'))
        if (!prend(cle.Nom, Composante(Trajets[cle.Bille][0].Position, cle.Composante)))
            return resultat;
    return resultat;
}
