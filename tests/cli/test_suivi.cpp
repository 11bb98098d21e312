// The long commands' shared helpers: durations for a person, the progress line, and waiting
// on worker threads that SIGINT stops.

#include "cli/Suivi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

namespace {

/// Everything written to a temporary stream.
std::string Contenu(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string texte;
    for (int c; (c = std::fgetc(f)) != EOF;) texte += static_cast<char>(c);
    return texte;
}

} // namespace

TEST(TexteDureeTravail, ChaqueGrandeurDansSaPropreUnite) {
    const std::pair<double, const char*> cas[] = {
        {0, "moins d'une seconde"},
        {0.99, "moins d'une seconde"},
        {-5, "moins d'une seconde"},
        {1, "1 s"},
        {59.4, "59 s"},
        {60, "1 min"},
        {3599, "60 min"},
        {3600, "1 h"},
        {3600 + 20 * 60 + 10, "1 h 20 min"},
        {86399, "24 h"},
        {86400, "1 jour"},
        {10 * 86400, "10 jours"},
        {365.25 * 86400, "1 an"},
        {1.0E9, "32 ans"},
        {1.0E20, "plus d'un million d'années"},
        {std::numeric_limits<double>::infinity(), "plus d'un million d'années"},
        {std::numeric_limits<double>::quiet_NaN(), "moins d'une seconde"},
    };
    for (const auto& [secondes, attendu] : cas)
        EXPECT_EQ(TexteDureeTravail(secondes), attendu) << secondes;
}

TEST(Progression, AfficheeSurUnTerminalSeulementEtEffaceeALaFin) {
    std::FILE* terminal = std::tmpfile();
    std::FILE* tube = std::tmpfile();
    ASSERT_TRUE(terminal && tube);
    {
        TProgression p("essais", terminal, true, std::chrono::seconds(0));
        TProgression muette("essais", tube, false, std::chrono::seconds(0));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        p.Affiche(250, 1000);
        muette.Affiche(250, 1000);
        // Redrawn at most four times a second: an immediate second call draws nothing.
        p.Affiche(260, 1000);
    }
    const std::string texte = Contenu(terminal);
    EXPECT_EQ(texte.rfind("\r250/1000 essais (25 %), ", 0), 0u) << texte;
    EXPECT_NE(texte.find(" essais/s, reste "), std::string::npos) << texte;
    EXPECT_EQ(texte.find("260/"), std::string::npos) << texte;
    EXPECT_TRUE(texte.ends_with("\r\033[K")) << "the line is erased at the end";
    EXPECT_EQ(Contenu(tube), "") << "nothing when the stream is no terminal";
    std::fclose(terminal);
    std::fclose(tube);

    // Nor during the first second of the work.
    std::FILE* court = std::tmpfile();
    {
        TProgression p("essais", court, true);
        p.Affiche(1, 2);
    }
    EXPECT_EQ(Contenu(court), "");
    std::fclose(court);
}

TEST(Progression, UneNouvelleEtapeEstNommeeAfficheeAussitotEtChronometreeDepuisSonDebut) {
    std::FILE* terminal = std::tmpfile();
    ASSERT_TRUE(terminal);
    {
        TProgression p("coups", terminal, true, std::chrono::seconds(0));
        p.Affiche(500, 1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        p.Etape("constantes");
        // Unlike a mere redraw, a new step is drawn at once; the same step again is no new one.
        p.Etape("constantes");
        p.Affiche(0, 40);
    }
    const std::string texte = Contenu(terminal);
    const std::size_t etape = texte.find("\r\033[K\rconstantes : 0/40 coups (0 %), 0 coups/s, ");
    EXPECT_NE(etape, std::string::npos)
        << "the first step's line erased, then the new one: " << texte;
    EXPECT_EQ(texte.find("constantes", etape + 16), std::string::npos) << texte;
    std::fclose(terminal);
}

TEST(Interruption, UneInterruptionInterieurePartageLeSigintDeLExterieure) {
    const TInterruption commande;
    {
        const TInterruption etape;
        std::raise(SIGINT);
        EXPECT_TRUE(etape.Demandee());
    }
    // The inner one gone, the SIGINT it saw is still the command's, and a new inner one keeps
    // it instead of starting afresh.
    EXPECT_TRUE(commande.Demandee());
    const TInterruption suivante;
    EXPECT_TRUE(suivante.Demandee());
}

TEST(SuitTravail, SigintArreteLesOuvriersEtEstSignale) {
    std::atomic<bool> suivi{false}, arret{false}, fini{false};
    int arrets = 0;
    // A worker that runs until it is asked to stop, and sends SIGINT once the wait has begun
    // (before, nothing would catch it and the test program would end).
    std::thread travailleur([&] {
        while (!suivi.load()) std::this_thread::yield();
        std::raise(SIGINT);
        while (!arret.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        fini.store(true);
    });
    const bool interrompu = SuitTravail(
        "essais",
        [&] {
            suivi.store(true);
            return fini.load();
        },
        [&] {
            ++arrets;
            arret.store(true);
        },
        [] {
            return TAvancement{1, 2, {}};
        });
    travailleur.join();
    EXPECT_TRUE(interrompu);
    EXPECT_EQ(arrets, 1);

    // Without SIGINT the work runs to its end, and SIGINT is no longer caught afterwards.
    EXPECT_FALSE(SuitTravail(
        "essais", [] { return true; }, [&] { ++arrets; }, [] { return TAvancement{}; }));
    EXPECT_EQ(arrets, 1);
    EXPECT_EQ(std::signal(SIGINT, SIG_DFL), SIG_DFL);
}

TEST(Interruption, UnSigintIgnoreResteIgnore) {
    const auto avant = std::signal(SIGINT, SIG_IGN);
    {
        const TInterruption interruption;
        std::raise(SIGINT);
        EXPECT_FALSE(interruption.Demandee());
    }
    EXPECT_EQ(std::signal(SIGINT, avant), SIG_IGN);
}
