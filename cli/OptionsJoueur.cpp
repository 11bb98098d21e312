#include "cli/OptionsJoueur.h"

#include "cli/Options.h"

namespace {

/// Most trials of one chance.
constexpr int64_t EssaisMax = 10'000'000;
/// Largest spread taken (degrees, cm, percent): beyond, the stroke is noise.
constexpr double EcartMax = 100.0;

double LitEcart(const std::string& texte, const char* option) {
    const double v = LitValeurCommande(texte, option);
    if (v < 0 || v > EcartMax)
        throw TErreurCommande{std::string(option) + " : écart entre 0 et 100 attendu, pas '" +
                              texte + "'"};
    return v;
}

} // namespace

TJoueur TOptionsJoueur::Joueur() const {
    TJoueur j = Preset.value_or(*JoueurPredefini("club"));
    if (!Angle && !Procede && !Vitesse) return j;
    if (!Preset) j = {};
    j.Nom = NomJoueurPersonnalise;
    if (Angle) j.EcartAngle = *Angle;
    if (Procede) j.EcartProcede = *Procede;
    if (Vitesse) j.EcartVitesse = *Vitesse;
    return j;
}

bool LitOptionJoueur(const std::vector<std::string>& arguments, std::size_t& i, TOptionsJoueur& o) {
    std::string v;
    if (ValeurOption(arguments, i, "--player", v)) {
        o.Preset = JoueurPredefini(v);
        if (!o.Preset)
            throw TErreurCommande{"--player attend maitre, confirme, club ou debutant, pas '" + v +
                                  "'"};
    } else if (ValeurOption(arguments, i, "--sigma-aim", v)) {
        o.Angle = LitEcart(v, "--sigma-aim");
    } else if (ValeurOption(arguments, i, "--sigma-tip", v)) {
        o.Procede = LitEcart(v, "--sigma-tip");
    } else if (ValeurOption(arguments, i, "--sigma-speed", v)) {
        o.Vitesse = LitEcart(v, "--sigma-speed");
    } else if (ValeurOption(arguments, i, "--samples", v)) {
        int64_t n = 0;
        if (!LitEntier(v, n) || n < 1 || n > EssaisMax)
            throw TErreurCommande{"--samples : entier entre 1 et " + std::to_string(EssaisMax) +
                                  " attendu, pas '" + v + "'"};
        o.Essais = static_cast<int32_t>(n);
    } else if (ValeurOption(arguments, i, "--seed", v)) {
        int64_t n = 0;
        if (!LitEntier(v, n) || n < 0)
            throw TErreurCommande{"--seed : entier positif ou nul attendu, pas '" + v + "'"};
        o.Graine = static_cast<uint64_t>(n);
    } else {
        return false;
    }
    o.Donnee = true;
    return true;
}

void EcritJoueur(TJson& json, const TJoueur& joueur) {
    json.Cle("Joueur")
        .DebutObjet()
        .Membre("Nom", joueur.Nom)
        .Membre("EcartAngle", joueur.EcartAngle)
        .Membre("EcartProcede", joueur.EcartProcede)
        .Membre("EcartVitesse", joueur.EcartVitesse)
        .FinObjet();
}

void EcritProbabilite(TJson& json, const TChance& chance) {
    json.Membre("Probabilite", chance.Probabilite)
        .Cle("Intervalle")
        .DebutTableau()
        .Nombre(chance.Bas)
        .Nombre(chance.Haut)
        .FinTableau();
}
