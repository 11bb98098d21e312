#include "analysis/RouteEnMots.h"

std::string CouleurBilleMoteur(int numero, TBilleJoueur joueur) {
    const bool jaune = joueur == bjJaune;
    switch (numero) {
    case 1:
        return jaune ? "jaune" : "blanche";
    case 2:
        return jaune ? "blanche" : "rouge";
    case 3:
        return jaune ? "rouge" : "jaune";
    default:
        return std::to_string(numero);
    }
}

std::string NomBande(char lettre) {
    // Cushions 1 and 3 (S, N) run along the table's length, 2 and 4 (E, O) across it.
    switch (lettre) {
    case 'S':
    case 'N':
        return "grande bande";
    case 'E':
    case 'O':
        return "petite bande";
    default:
        return {};
    }
}

std::string RouteEnMots(const std::string& sequence, TBilleJoueur joueur) {
    std::string texte;
    for (char c : sequence) {
        if (!texte.empty()) texte += ", ";
        if (c >= '1' && c <= '3')
            texte += CouleurBilleMoteur(c - '0', joueur);
        else if (const std::string bande = NomBande(c); !bande.empty())
            texte += bande + ' ' + c;
        else
            texte += c;
    }
    return texte;
}

std::string LegendeRoutes(TBilleJoueur joueur) {
    return "S, N : grandes bandes ; E, O : petites bandes ; 2 : " + CouleurBilleMoteur(2, joueur) +
           ", 3 : " + CouleurBilleMoteur(3, joueur) + " (bille joueur " +
           CouleurBilleMoteur(1, joueur) + ")";
}
