// alveran-cli: the JSON writer, the shared option parsing, and the shot subcommand run as
// a separate program on the committed samples.

#include "cli/Json.h"
#include "cli/Options.h"

#include "support/Processus.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <sys/wait.h>
#include <unistd.h>
#include <variant>

namespace fs = std::filesystem;

namespace {

// A small strict JSON reader (no string escapes: the program's keys need none). It rejects
// what a careless writer produces: trailing commas, bare nan or inf, text after the value.
struct Valeur;
using Objet = std::map<std::string, Valeur>;
using Tableau = std::vector<Valeur>;
struct Valeur {
    std::variant<std::nullptr_t, bool, double, std::string, Tableau, Objet> v;
    const Valeur& operator[](const std::string& cle) const { return std::get<Objet>(v).at(cle); }
    const Valeur& operator[](std::size_t i) const { return std::get<Tableau>(v).at(i); }
    double nombre() const { return std::get<double>(v); }
    bool booleen() const { return std::get<bool>(v); }
    std::size_t taille() const { return std::get<Tableau>(v).size(); }
    bool contient(const std::string& cle) const { return std::get<Objet>(v).count(cle) > 0; }
};

Valeur LitValeur(std::string_view t, std::size_t& p) {
    auto blancs = [&] { p = std::min(t.find_first_not_of(" \t\r\n", p), t.size()); };
    auto attend = [&](char c) {
        blancs();
        if (p >= t.size() || t[p++] != c) throw std::runtime_error(std::string("attendu ") + c);
    };
    auto chaine = [&] {
        attend('"');
        const std::size_t fin = t.find('"', p);
        if (fin == std::string_view::npos) throw std::runtime_error("chaîne");
        std::string s(t.substr(p, fin - p));
        p = fin + 1;
        return s;
    };
    blancs();
    if (p < t.size() && (t[p] == '{' || t[p] == '[')) {
        const bool objet = t[p++] == '{';
        Objet o;
        Tableau a;
        blancs();
        if (p < t.size() && t[p] == (objet ? '}' : ']')) return ++p, objet ? Valeur{o} : Valeur{a};
        do {
            if (!objet) {
                a.push_back(LitValeur(t, p));
            } else {
                std::string cle = chaine();
                attend(':');
                o.emplace(cle, LitValeur(t, p));
            }
            blancs();
        } while (p < t.size() && t[p] == ',' && ++p);
        attend(objet ? '}' : ']');
        return objet ? Valeur{o} : Valeur{a};
    }
    if (p < t.size() && t[p] == '"') return Valeur{chaine()};
    for (const auto& [mot, valeur] :
         {std::pair{"true", Valeur{true}}, {"false", Valeur{false}}, {"null", Valeur{nullptr}}})
        if (t.substr(p, std::strlen(mot)) == mot) return p += std::strlen(mot), valeur;
    const std::size_t fin = std::min(t.find_first_not_of("-+.0123456789eE", p), t.size());
    double d = 0;
    const auto r = std::from_chars(t.data() + p, t.data() + fin, d);
    if (fin == p || t[p] == '+' || r.ec != std::errc() || r.ptr != t.data() + fin)
        throw std::runtime_error("nombre");
    p = fin;
    return Valeur{d};
}

Valeur LitJson(std::string_view texte) {
    std::size_t p = 0;
    Valeur v = LitValeur(texte, p);
    if (texte.find_first_not_of(" \t\r\n", p) != std::string_view::npos)
        throw std::runtime_error("texte après la valeur");
    return v;
}

struct Execution {
    int Code = -1;
    std::string Sortie;
    std::string Erreurs;
};

Execution Lance(const std::vector<std::string>& arguments) {
    const processus::TExecution r = processus::Lance(ALVERAN_CLI, arguments);
    return {r.Statut, r.Sortie, r.Erreurs};
}

const std::string Echantillon = ALVERAN_SOURCE_DIR "/samples/defaut.alv";
const std::string Echantillon2 = ALVERAN_SOURCE_DIR "/samples/defaut.alv2";

} // namespace

// ---------------------------------------------------------------------------------------
// JSON writer

TEST(Json, NombresRelusExactementNonFiniEstNull) {
    std::mt19937_64 alea(7);
    for (int n = 0; n < 20000; ++n) {
        uint64_t bits = alea();
        double x;
        std::memcpy(&x, &bits, sizeof x);
        const std::string t = TJson::TexteNombre(x);
        if (!std::isfinite(x)) {
            EXPECT_EQ(t, "null");
            continue;
        }
        ASSERT_EQ(LitJson(t).nombre(), x) << t;
    }
    EXPECT_EQ(TJson::TexteNombre(0.1), "0.1");
    EXPECT_EQ(TJson::TexteNombre(430), "430");
    EXPECT_EQ(TJson::TexteNombre(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(TJson::TexteNombre(-std::numeric_limits<double>::infinity()), "null");
}

TEST(Json, ChainesEchappees) {
    const std::string brut = "a\"b\\c\nd\te\x01\x1f é/";
    EXPECT_EQ(TJson::TexteChaine(brut), "\"a\\\"b\\\\c\\nd\\te\\u0001\\u001f é/\"");
}

TEST(Json, StructuresImbriqueesAvecLeursVirgules) {
    TJson j;
    j.DebutObjet().Membre("a", int64_t{1}).Cle("b").DebutTableau();
    j.DebutObjet().FinObjet().DebutTableau().FinTableau().Nombre(2.5).Nul().Booleen(false);
    j.FinTableau().Membre("c", "x").Cle("d").DebutObjet().Membre("e", true).FinObjet().FinObjet();
    EXPECT_EQ(j.Texte(), R"({"a":1,"b":[{},[],2.5,null,false],"c":"x","d":{"e":true}})");
}

// ---------------------------------------------------------------------------------------
// Shared options

TEST(OptionsCommande, ModeEtConstantes) {
    EXPECT_EQ(LitMode("libre"), jLibre);
    EXPECT_EQ(LitMode("1bande"), j1Bande);
    EXPECT_EQ(LitMode("3bandes"), j3Bandes);
    EXPECT_THROW(LitMode("3Bandes"), TErreurCommande);
    EXPECT_THROW(LitMode(""), TErreurCommande);

    EXPECT_EQ(LitConstante("G=500"), (std::pair<int, double>{18, 500}));
    EXPECT_EQ(LitConstante("largeurJeu=1E2"), (std::pair<int, double>{0, 100}));
    for (const char* mauvais : {"G", "G=", "g=5", "Inconnue=1", "G=1,5", "G=nan", "=3"})
        EXPECT_THROW(LitConstante(mauvais), TErreurCommande) << mauvais;

    // Both spellings, a later --set winning, dimensions going through their clamping.
    const std::vector<std::string> a = {"--mode", "libre", "--set=RayonBilles=0", "--set",  "G=1",
                                        "--set",  "G=2",   "--mode=1bande",       "fichier"};
    TOptionsMoteur o;
    std::size_t i = 0;
    for (; i < a.size() && LitOptionMoteur(a, i, o); ++i) {
    }
    EXPECT_EQ(a[i], "fichier");
    auto moteur = std::make_unique<TBillardAlveran>();
    AppliqueOptions(o, *moteur);
    EXPECT_EQ(moteur->ModeDeJeu, j1Bande);
    EXPECT_EQ(moteur->Fisik.G, 2);
    EXPECT_EQ(moteur->Fisik.RayonBilles(), 0.001) << "the radius is clamped by its setter";

    std::size_t j = 0;
    EXPECT_THROW(LitOptionMoteur({"--set"}, j, o), TErreurCommande) << "value missing";
}

// ---------------------------------------------------------------------------------------
// The program

TEST(CommandeShot, EcritLeResultatDuCoupEchantillon) {
    const Execution e = Lance({"shot", Echantillon});
    ASSERT_EQ(e.Code, 0) << e.Erreurs;
    EXPECT_EQ(e.Erreurs, "");
    const Valeur r = LitJson(e.Sortie);
    for (const char* cle : {"PointReussi", "IndicePoint", "QueueInsoluble", "NbEnr", "Duree"})
        EXPECT_TRUE(r.contient(cle)) << cle;
    EXPECT_FALSE(r.contient("Enregistrements"));
    EXPECT_FALSE(r["QueueInsoluble"].booleen());
    EXPECT_GT(r["NbEnr"].nombre(), 1);
    EXPECT_GT(r["Duree"].nombre(), 0);

    // The ".alv2" sample holds the same shot just after the strike: computing without a
    // new strike (there is no cue speed in it) plays the same shot.
    const Execution e2 = Lance({"shot", Echantillon2});
    ASSERT_EQ(e2.Code, 0) << e2.Erreurs;
    const Valeur r2 = LitJson(e2.Sortie);
    EXPECT_EQ(r2["PointReussi"].booleen(), r["PointReussi"].booleen());
    EXPECT_EQ(r2["IndicePoint"].nombre(), r["IndicePoint"].nombre());
    EXPECT_NEAR(r2["Duree"].nombre(), r["Duree"].nombre(), 1E-6);
}

TEST(CommandeShot, EnregistrementsAChaqueIndiceAvecTroisBilles) {
    const Execution e = Lance({"shot", Echantillon, "--records", "--mode", "libre"});
    ASSERT_EQ(e.Code, 0) << e.Erreurs;
    const Valeur r = LitJson(e.Sortie);
    const auto nbEnr = static_cast<std::size_t>(r["NbEnr"].nombre());
    const Valeur& enr = r["Enregistrements"];
    ASSERT_EQ(enr.taille(), nbEnr + 1);
    for (std::size_t i = 0; i <= nbEnr; ++i) {
        EXPECT_EQ(enr[i]["i"].nombre(), static_cast<double>(i));
        for (const char* cle : {"Temps", "TypeChoc", "Contre", "Adherence"})
            EXPECT_TRUE(enr[i].contient(cle)) << cle;
        ASSERT_EQ(enr[i]["Billes"].taille(), 3u);
        for (std::size_t b = 0; b < 3; ++b)
            for (const char* v : {"Position", "Vitesse", "Rotation"})
                EXPECT_EQ(enr[i]["Billes"][b][v].taille(), 3u);
    }
    EXPECT_EQ(r["Duree"].nombre(), enr[nbEnr]["Temps"].nombre());
    // Record 0 holds the file's positions exactly.
    EXPECT_EQ(enr[0]["Billes"][0]["Position"][0].nombre(), 18.279125);
    EXPECT_EQ(enr[0]["Billes"][1]["Position"][1].nombre(), 71.125);
    EXPECT_EQ(enr[0]["Temps"].nombre(), 0);
}

TEST(CommandeShot, ConstantesFixeesAvantLeCoup) {
    // A record interval ten times longer leaves fewer periodic records for the same shot.
    const Execution normal = Lance({"shot", Echantillon});
    const Execution espace = Lance({"shot", Echantillon, "--set", "dtEnr=0.5"});
    ASSERT_EQ(normal.Code, 0);
    ASSERT_EQ(espace.Code, 0) << espace.Erreurs;
    EXPECT_LT(LitJson(espace.Sortie)["NbEnr"].nombre(), LitJson(normal.Sortie)["NbEnr"].nombre());
}

TEST(CommandeShot, LesProblemesSortentAvec2EtNEcriventRien) {
    const fs::path dossier =
        fs::temp_directory_path() / ("alveran-cli-" + std::to_string(getpid()));
    fs::create_directories(dossier / "dossier.alv");
    std::ofstream(dossier / "coup.txt") << "[Queue]\r\nVq=1\r\n";
    const std::vector<std::vector<std::string>> cas = {
        {},
        {"inconnue"},
        {"shot"},
        {"shot", (dossier / "absent.alv").string()},
        {"shot", (dossier / "dossier.alv").string()},
        {"shot", (dossier / "coup.txt").string()},
        {"shot", Echantillon, "--mode", "carambole"},
        {"shot", Echantillon, "--mode"},
        {"shot", Echantillon, "--set", "Gravite=9"},
        {"shot", Echantillon, "--set", "G=9,81"},
        {"shot", Echantillon, "--set", "G"},
        {"shot", Echantillon, "--vite"},
        {"shot", Echantillon, Echantillon2},
    };
    for (const auto& arguments : cas) {
        std::string texte;
        for (const auto& a : arguments) texte += a + " ";
        const Execution e = Lance(arguments);
        EXPECT_EQ(e.Code, 2) << texte;
        EXPECT_EQ(e.Sortie, "") << texte;
        EXPECT_FALSE(e.Erreurs.empty()) << texte;
        if (!arguments.empty()) {
            EXPECT_EQ(std::count(e.Erreurs.begin(), e.Erreurs.end(), '\n'), 1) << e.Erreurs;
        }
    }
    fs::remove_all(dossier);
}
