#include "cli/SolveJson.h"

#include "analysis/Extrait.h"
#include "analysis/LectureBornee.h"
#include "cli/Options.h"
#include "cli/Suivi.h"
#include "engine/ProfilIni.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

void EcritGrille(TJson& json, const TGrilleRecherche& g) {
    json.Cle("Grille").DebutObjet();
    json.Cle("AngleOx")
        .DebutTableau()
        .Nombre(g.AngleOx.De)
        .Nombre(g.AngleOx.A)
        .Nombre(g.AngleOx.Pas)
        .FinTableau();
    for (const auto& [nom, axe] :
         {std::pair{"Effet", &g.Effet}, std::pair{"Hauteur", &g.Hauteur}, std::pair{"Vq", &g.Vq}})
        json.Cle(nom).DebutTableau().Nombre(axe->De).Nombre(axe->A).Entier(axe->N).FinTableau();
    json.Membre("Points", DimensionsRecherche(g).NbPoints());
    json.FinObjet();
}

void EcritFamille(TJson& json, const TValeursRecherche& v, const TDimensionsRecherche& d,
                  const TFamille& f) {
    const auto c = d.Indices(f.Centre);
    const auto at = [](const std::vector<double>& valeurs, int32_t i) {
        return valeurs[static_cast<size_t>(i)];
    };
    json.DebutObjet().Membre("Taille", f.Taille);
    json.Cle("Angles")
        .DebutTableau()
        .Nombre(at(v.AnglesDegres, f.AngleDebut))
        .Nombre(at(v.AnglesDegres, f.AngleFin))
        .FinTableau();
    json.Cle("Centre")
        .DebutObjet()
        .Membre("AngleOx", at(v.AnglesDegres, c[0]))
        .Membre("Effet", at(v.Effets, c[1]))
        .Membre("Hauteur", at(v.Hauteurs, c[2]))
        .Membre("Vq", at(v.Vitesses, c[3]))
        .FinObjet();
    json.Membre("D13", f.D13);
    if (f.Tolerance >= 0) json.Membre("Tolerance", f.Tolerance);
    if (f.Chance) {
        json.Cle("Chance").DebutObjet();
        EcritChanceCoup(json, *f.Chance);
        json.Membre("ProbabiliteCentre", f.Chance->ChanceCentre.Probabilite);
        json.FinObjet();
    }
    json.FinObjet();
}

const char* TexteMode(TModeDeJeu mode) {
    switch (mode) {
    case jLibre:
        return "libre";
    case j1Bande:
        return "1bande";
    default:
        return "3bandes";
    }
}

void EcritVecteur(TJson& json, const char* nom, const TVecteur& v) {
    json.Cle(nom).DebutTableau().Nombre(v.x).Nombre(v.y).Nombre(v.z).FinTableau();
}

/// Everything a shot of the search depends on: game mode, constants, stroke, initial states.
void EcritMoteur(TJson& json, const TBillardAlveran& m) {
    json.Cle("Moteur").DebutObjet().Membre("Mode", TexteMode(m.ModeDeJeu));
    json.Cle("Constantes").DebutObjet();
    for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
        json.Membre(TPARAMPHYS::Noms[i], m.Fisik.Parametre(i));
    json.FinObjet();
    json.Cle("Coup")
        .DebutObjet()
        .Membre("Vq", m.Coup.Vq)
        .Membre("m", m.Coup.m)
        .Membre("Effet", m.Coup.Effet)
        .Membre("Hauteur", m.Coup.Hauteur)
        .Membre("AngleOx", m.Coup.AngleOx)
        .Membre("AngleTapis", m.Coup.AngleTapis)
        .FinObjet();
    json.Cle("Billes").DebutTableau();
    for (int b = 1; b <= 3; ++b) {
        json.DebutObjet();
        EcritVecteur(json, "Position", m.Trajets[b][0].Position);
        EcritVecteur(json, "Vitesse", m.Trajets[b][0].Vitesse);
        EcritVecteur(json, "Rotation", m.Trajets[b][0].Rotation);
        json.FinObjet();
    }
    json.FinTableau().FinObjet();
}

// ------------------------------------------------------------------ reading a partial result

using nlohmann::json;

/// A whole number of JSON within [min, max]: a fraction or an exponent form is refused, so
/// that no out-of-range double is ever converted.
int64_t LitEntierJson(const json& j, int64_t min, int64_t max) {
    // An unsigned value beyond int64 is beyond every range asked here.
    const bool entier = j.is_number_integer() &&
                        !(j.is_number_unsigned() && j.get<uint64_t>() > uint64_t{INT64_MAX});
    if (!entier || j.get<int64_t>() < min || j.get<int64_t>() > max)
        throw TErreurCommande{"entier de " + std::to_string(min) + " à " + std::to_string(max) +
                              " attendu : " + j.dump()};
    return j.get<int64_t>();
}

TVecteur LitVecteur(const json& j) {
    return {j.at(0).get<double>(), j.at(1).get<double>(), j.at(2).get<double>()};
}

std::unique_ptr<TBillardAlveran> LitMoteur(const json& j) {
    auto m = std::make_unique<TBillardAlveran>();
    m->ModeDeJeu = LitMode(j.at("Mode").get<std::string>());
    const json& constantes = j.at("Constantes");
    // The radius first: the cushion height is clamped against it.
    m->Fisik.SetParametre(2, constantes.at(TPARAMPHYS::Noms[2]).get<double>());
    for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
        m->Fisik.SetParametre(i, constantes.at(TPARAMPHYS::Noms[i]).get<double>());
    const json& coup = j.at("Coup");
    m->Coup.Vq = coup.at("Vq").get<double>();
    m->Coup.m = coup.at("m").get<double>();
    m->Coup.Effet = coup.at("Effet").get<double>();
    m->Coup.Hauteur = coup.at("Hauteur").get<double>();
    m->Coup.AngleOx = coup.at("AngleOx").get<double>();
    m->Coup.AngleTapis = coup.at("AngleTapis").get<double>();
    const json& billes = j.at("Billes");
    for (int b = 1; b <= 3; ++b) {
        const json& bille = billes.at(static_cast<size_t>(b - 1));
        m->Trajets[b][0].Position = LitVecteur(bille.at("Position"));
        m->Trajets[b][0].Vitesse = LitVecteur(bille.at("Vitesse"));
        m->Trajets[b][0].Rotation = LitVecteur(bille.at("Rotation"));
    }
    return m;
}

TAxeRecherche LitAxe(const json& j) {
    return {j.at(0).get<double>(), j.at(1).get<double>(),
            static_cast<int32_t>(LitEntierJson(j.at(2), 1, INT32_MAX))};
}

TGrilleRecherche LitGrille(const json& j) {
    TGrilleRecherche g;
    const json& a = j.at("AngleOx");
    g.AngleOx = {a.at(0).get<double>(), a.at(1).get<double>(), a.at(2).get<double>()};
    g.Effet = LitAxe(j.at("Effet"));
    g.Hauteur = LitAxe(j.at("Hauteur"));
    g.Vq = LitAxe(j.at("Vq"));
    return g;
}

TCoupsRecherche LitCoups(const json& j, const TGrilleRecherche& grille) {
    TCoupsRecherche c;
    c.Dimensions = DimensionsRecherche(grille);
    c.Sequences = j.at("Sequences").get<std::vector<std::string>>();
    c.Codes.assign(static_cast<size_t>(c.Dimensions.NbPoints()), 0);
    for (const json& coup : j.at("Coups")) {
        const int64_t indice = LitEntierJson(coup.at(0), 0, c.Dimensions.NbPoints() - 1);
        const int64_t sequence =
            LitEntierJson(coup.at(1), 0, static_cast<int64_t>(c.Sequences.size()) - 1);
        c.Codes[static_cast<size_t>(indice)] = static_cast<uint32_t>(sequence + 1);
    }
    c.Tires = LitEntierJson(j.at("Tires"), 0, c.Dimensions.NbPoints());
    c.Reussis = LitEntierJson(j.at("Reussis"), 0, c.Dimensions.NbPoints());
    c.Interrompu = j.value("Interrompu", false);
    return c;
}

} // namespace

void EcritChanceCoup(TJson& json, const TCoupSur& sur) {
    json.Membre("Probabilite", sur.Chance.Probabilite)
        .Cle("Intervalle")
        .DebutTableau()
        .Nombre(sur.Chance.Bas)
        .Nombre(sur.Chance.Haut)
        .FinTableau();
    json.Cle("Coup")
        .DebutObjet()
        .Membre("AngleOx", sur.Coup.AngleOx * 180.0 / std::numbers::pi)
        .Membre("Effet", sur.Coup.Effet)
        .Membre("Hauteur", sur.Coup.Hauteur)
        .Membre("Vq", sur.Coup.Vq)
        .FinObjet();
}

void EcritSolutions(TJson& json, const TGrilleRecherche& grille, const TCoupsRecherche& coups,
                    const TSolutions& solutions, bool cellules, int32_t plusSurs) {
    const TValeursRecherche v = ValeursRecherche(grille);
    const TDimensionsRecherche& d = coups.Dimensions;
    EcritGrille(json, grille);
    json.Membre("Tires", coups.Tires).Membre("Reussis", coups.Reussis);
    if (coups.Interrompu) json.Membre("Interrompu", true);
    json.Cle("Routes").DebutTableau();
    for (const TRoute& route : solutions.Routes) {
        json.DebutObjet()
            .Membre("Sequence", route.Sequence)
            .Membre("Reussis", route.Reussis)
            .Membre("Isoles", route.Isoles);
        json.Cle("Familles").DebutTableau();
        for (const TFamille& f : route.Familles) EcritFamille(json, v, d, f);
        json.FinTableau().FinObjet();
    }
    json.FinTableau();
    if (plusSurs >= 0) {
        json.Cle("PlusSurs").DebutTableau();
        for (size_t k = 0; k < solutions.PlusSurs.size() && k < static_cast<size_t>(plusSurs);
             ++k) {
            const TRoute& route = solutions.Routes[solutions.PlusSurs[k].Route];
            const TFamille& f = route.Familles[solutions.PlusSurs[k].Famille];
            json.DebutObjet().Membre("Sequence", route.Sequence).Membre("Famille", f.Numero);
            EcritChanceCoup(json, *f.Chance);
            json.FinObjet();
        }
        json.FinTableau();
    }
    if (!cellules) return;
    json.Cle("Cellules").DebutTableau();
    for (const TCoupReussi& c : solutions.Coups) {
        const auto i = d.Indices(c.Indice);
        json.DebutTableau()
            .Nombre(v.AnglesDegres[static_cast<size_t>(i[0])])
            .Nombre(v.Effets[static_cast<size_t>(i[1])])
            .Nombre(v.Hauteurs[static_cast<size_t>(i[2])])
            .Nombre(v.Vitesses[static_cast<size_t>(i[3])])
            .Entier(c.Famille)
            .FinTableau();
    }
    json.FinTableau();
}

std::string TextePartiel(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                         TPartageRecherche partage, const TCoupsRecherche& coups, double secondes) {
    TJson json;
    json.DebutObjet();
    json.Cle("Partiel").DebutTableau().Entier(partage.Indice).Entier(partage.Nombre).FinTableau();
    EcritGrille(json, grille);
    EcritMoteur(json, moteur);
    json.Membre("Tires", coups.Tires).Membre("Reussis", coups.Reussis);
    if (coups.Interrompu) json.Membre("Interrompu", true);
    json.Cle("Sequences").DebutTableau();
    for (const std::string& s : coups.Sequences) json.Chaine(s);
    json.FinTableau();
    // The scoring strokes only: [grid index, index in Sequences].
    json.Cle("Coups").DebutTableau();
    for (size_t i = 0; i < coups.Codes.size(); ++i)
        if (coups.Codes[i] != 0)
            json.DebutTableau()
                .Entier(static_cast<int64_t>(i))
                .Entier(int64_t{coups.Codes[i]} - 1)
                .FinTableau();
    json.FinTableau();
    json.Membre("Secondes", secondes).FinObjet();
    return AvecEmpreinte(json.Texte()) + "\n";
}

namespace {

constexpr std::string_view DebutEmpreinte = ",\"Empreinte\":\"";

/// FNV-1a, 64 bits: any change to the text changes it (this tells an edited part from the one
/// written, it does not stop a forger who recomputes it).
std::string Empreinte(std::string_view texte) {
    uint64_t h = 14695981039346656037ull;
    for (const char c : texte) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    static constexpr char Hex[] = "0123456789abcdef";
    std::string s(16, '0');
    for (int k = 15; k >= 0; --k, h >>= 4) s[static_cast<size_t>(k)] = Hex[h & 0xF];
    return s;
}

/// The text of the part before its digest, once the digest is found to match it; the JSON
/// object it closes, ready to parse.
std::string_view CorpsSigne(const std::string& texte, const std::string& chemin) {
    std::string_view t = texte;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.remove_suffix(1);
    const size_t debut = t.rfind(DebutEmpreinte);
    const size_t valeur = debut + DebutEmpreinte.size();
    if (debut == std::string_view::npos || t.size() != valeur + 16 + 2 || !t.ends_with("\"}"))
        throw TErreurCommande{chemin + " : part sans empreinte (pas écrite par solve --shard, ou "
                                       "modifiée)"};
    if (t.substr(valeur, 16) != Empreinte(t.substr(0, debut)))
        throw TErreurCommande{chemin + " : part modifiée depuis son écriture (l'empreinte ne "
                                       "correspond plus)"};
    return t;
}

/// What a part claims, checked against itself: its cells in its share's blocks and counted in
/// Reussis, its sequences in text order and each used, its strokes fired within its share.
std::string VerifiePartiel(const TPartielLu& p, size_t nbCellules) {
    if (!std::isfinite(p.Secondes) || p.Secondes < 0) return "durée négative ou non finie";
    const TCoupsRecherche& c = p.Coups;
    for (size_t k = 1; k < c.Sequences.size(); ++k)
        if (!(c.Sequences[k - 1] < c.Sequences[k]))
            return "séquences hors de l'ordre du texte ou répétées";
    std::vector<bool> utilisee(c.Sequences.size(), false);
    int64_t cellules = 0;
    for (size_t i = 0; i < c.Codes.size(); ++i) {
        if (c.Codes[i] == 0) continue;
        ++cellules;
        utilisee[c.Codes[i] - 1] = true;
        const auto bloc = static_cast<int64_t>(i) / TailleBlocRecherche;
        if (bloc % p.Partage.Nombre != p.Partage.Indice)
            return "cellule " + std::to_string(i) + " hors des blocs de la part";
    }
    if (cellules != static_cast<int64_t>(nbCellules)) return "cellule donnée deux fois";
    if (std::find(utilisee.begin(), utilisee.end(), false) != utilisee.end())
        return "séquence sans cellule";
    if (c.Reussis != cellules)
        return "Reussis = " + std::to_string(c.Reussis) + " pour " + std::to_string(cellules) +
               " cellules";
    const int64_t aTirer = NbCoupsATirer(*p.Moteur, p.Grille, p.Partage);
    if (c.Tires > aTirer || (!c.Interrompu && c.Tires != aTirer))
        return "Tires = " + std::to_string(c.Tires) + " pour " + std::to_string(aTirer) +
               " coups à tirer dans la part";
    if (c.Reussis > c.Tires) return "plus de coups réussis que de coups tirés";
    return {};
}

} // namespace

std::string AvecEmpreinte(std::string_view objet) {
    std::string texte(objet.substr(0, objet.size() - 1)); // without its closing brace
    const std::string empreinte = Empreinte(texte);
    texte.append(DebutEmpreinte).append(empreinte).append("\"}");
    return texte;
}

TPartielLu LitPartiel(const std::string& chemin) {
    std::string texte;
    const TInterruption interruption; // a large part takes a while: Ctrl+C stops the reading
    switch (const TLectureBornee lecture = LitFichierBorne(
                chemin, TailleMaxPartiel, texte, [&] { return interruption.Demandee(); })) {
    case TLectureBornee::Lu:
        break;
    case TLectureBornee::Absent:
    case TLectureBornee::Illisible:
        throw TErreurCommande{"résultat partiel introuvable ou illisible : " + chemin};
    case TLectureBornee::Interrompu:
        throw TSortieInterrompue{""};
    case TLectureBornee::TropGros:
        throw TErreurCommande{TexteLectureBornee(lecture, chemin, TailleMaxPartiel)};
    }
    return LitPartielTexte(texte, chemin);
}

TPartielLu LitPartielTexte(const std::string& texte, const std::string& chemin,
                           int64_t nbPointsMax) {
    try {
        const std::string_view corps = CorpsSigne(texte, chemin);
        const json j = json::parse(corps);
        if (!j.is_object() || !j.contains("Partiel"))
            throw TErreurCommande{"pas un résultat partiel de solve --shard : " + chemin};
        TPartielLu p;
        p.Partage.Nombre = LitEntierJson(j.at("Partiel").at(1), 1, INT64_MAX);
        p.Partage.Indice = LitEntierJson(j.at("Partiel").at(0), 0, p.Partage.Nombre - 1);
        p.Grille = LitGrille(j.at("Grille"));
        if (const std::string probleme = VerifieGrilleRecherche(p.Grille); !probleme.empty())
            throw TErreurCommande{chemin + " : " + probleme};
        if (DimensionsRecherche(p.Grille).NbPoints() > nbPointsMax)
            throw TErreurCommande{chemin + " : grille trop grande"};
        p.Moteur = LitMoteur(j.at("Moteur"));
        p.Coups = LitCoups(j, p.Grille);
        p.Secondes = j.at("Secondes").get<double>();
        if (const std::string probleme = VerifiePartiel(p, j.at("Coups").size()); !probleme.empty())
            throw TErreurCommande{chemin + " : " + probleme};
        p.Origine = j.at("Grille").dump() + j.at("Moteur").dump();
        return p;
    } catch (const json::exception& e) {
        // The parser quotes what it read: at most a few dozen characters, made visible.
        throw TErreurCommande{"résultat partiel incorrect : " + chemin + " : " +
                              Extrait(e.what(), 2 * LongueurExtrait)};
    } catch (const TErreurCommande& e) {
        throw TErreurCommande{
            e.Message.find(chemin) == std::string::npos ? chemin + " : " + e.Message : e.Message};
    }
}
