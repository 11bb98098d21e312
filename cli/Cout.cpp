#include "cli/Cout.h"

#include "cli/Options.h"
#include "cli/Suivi.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

double DureeTir(const TBillardAlveran& moteur) {
    using namespace std::chrono;
    const auto copie = std::make_unique<TBillardAlveran>(moteur);
    const auto debut = steady_clock::now();
    int tirs = 0;
    do {
        copie->TireCoup();
        ++tirs;
    } while (tirs < 1000 && steady_clock::now() - debut < milliseconds(20));
    return duration<double>(steady_clock::now() - debut).count() / tirs;
}

void AnnonceCout(const TBillardAlveran& moteur, const TCout& c) {
    // The workers share the cores; shots that depend on each other run on one worker.
    const int coeurs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int travailleurs = c.Paralleles ? std::min(c.Threads, coeurs) : 1;
    const double secondes = static_cast<double>(c.Nombre) * DureeTir(moteur) / travailleurs;
    if (secondes < c.SeuilAnnonce && !(secondes > DureeSansForce)) return;
    std::string annonce = std::to_string(c.Nombre);
    annonce.append(" ").append(c.Unite).append(", durée estimée : ");
    annonce.append(TexteDureeTravail(secondes)).append(" sur ");
    annonce.append(std::to_string(travailleurs)).append(travailleurs > 1 ? " fils" : " fil");
    if (c.Threads > travailleurs && c.Paralleles)
        annonce.append(" (").append(std::to_string(c.Threads)).append(" fils pour ")
            .append(std::to_string(coeurs)).append(coeurs > 1 ? " cœurs)" : " cœur)");
    if (c.OctetsMemoire > 0)
        annonce.append(", mémoire : ")
            .append(std::to_string((c.OctetsMemoire + (1 << 20) - 1) >> 20))
            .append(" Mio");
    if (secondes > DureeSansForce && !c.Force)
        throw TErreurCommande{annonce +
                              " ; plus d'une heure : ajoutez --force pour la lancer quand même"};
    std::fprintf(stderr, "alveran-cli: %s\n", annonce.c_str());
}
