// The frame reader of the socket exchange: frames cut anywhere, several in a row, a header
// announcing too much.

#include "analysis/TrameDbAlv.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Trame(uint32_t message, uint64_t dwData, const std::string& donnees) {
    std::string t;
    auto ajoute = [&t](uint64_t v, int octets) {
        for (int i = 0; i < octets; ++i) t.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    ajoute(message, 4);
    ajoute(dwData, 8);
    ajoute(donnees.size(), 4);
    return t + donnees;
}
} // namespace

TEST(LecteurTrames, TramesCoupeesNImporteOu) {
    const std::string flux = Trame(74, 0x0102030405060708ull, std::string(296, 'a')) +
                             Trame(74, 2, std::string(295, 'b')) + Trame(9, 3, "");
    for (std::size_t morceau : {1u, 7u, 16u, 100u, 1000u}) {
        TLecteurTrames l;
        std::vector<TTrame> trames;
        for (std::size_t i = 0; i < flux.size(); i += morceau) {
            l.Ajoute(flux.data() + i, std::min(morceau, flux.size() - i));
            TTrame t;
            while (l.Suivante(t) == TLecteurTrames::rTrame) trames.push_back(t);
        }
        ASSERT_EQ(trames.size(), 3u) << morceau;
        EXPECT_EQ(trames[0].DwData, 0x0102030405060708ull);
        EXPECT_EQ(trames[0].Donnees, std::string(296, 'a'));
        EXPECT_EQ(trames[1].Donnees.size(), 295u);
        EXPECT_EQ(trames[2].Message, 9u);
        EXPECT_TRUE(trames[2].Donnees.empty());
        EXPECT_TRUE(l.Vide());
    }
}

TEST(LecteurTrames, EnTeteTropGrandRefuse) {
    TLecteurTrames l;
    std::string entete = Trame(74, 1, "").substr(0, 12);
    const uint32_t trop = 1024 * 1024 + 1;
    for (int i = 0; i < 4; ++i) entete.push_back(static_cast<char>((trop >> (8 * i)) & 0xff));
    l.Ajoute(entete.data(), entete.size());
    TTrame t;
    EXPECT_EQ(l.Suivante(t), TLecteurTrames::rRefus);
    // Nothing more is read from a refused stream.
    const std::string bonne = Trame(74, 1, "x");
    l.Ajoute(bonne.data(), bonne.size());
    EXPECT_EQ(l.Suivante(t), TLecteurTrames::rRefus);

    TLecteurTrames limite; // exactly 1 MiB is accepted
    const std::string juste = Trame(74, 1, std::string(1024 * 1024, 'z'));
    limite.Ajoute(juste.data(), juste.size());
    EXPECT_EQ(limite.Suivante(t), TLecteurTrames::rTrame);
}

TEST(LecteurTrames, TrameIncompleteAttend) {
    TLecteurTrames l;
    const std::string t1 = Trame(74, 1, std::string(296, 'q'));
    l.Ajoute(t1.data(), 100);
    TTrame t;
    EXPECT_EQ(l.Suivante(t), TLecteurTrames::rIncomplet);
    EXPECT_FALSE(l.Vide());
    l.Ajoute(t1.data() + 100, t1.size() - 100);
    EXPECT_EQ(l.Suivante(t), TLecteurTrames::rTrame);
    EXPECT_EQ(l.Suivante(t), TLecteurTrames::rIncomplet);
}
