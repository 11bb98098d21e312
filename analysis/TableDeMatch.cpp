#include "analysis/TableDeMatch.h"

std::vector<std::pair<int, double>> ValeursTableDeMatch() {
    std::vector<std::pair<int, double>> valeurs;
    for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
        valeurs.emplace_back(i, TPARAMPHYS::Defaut(i));
    for (const auto& [nom, valeur] : ConstantesTableDeMatch)
        valeurs[static_cast<std::size_t>(TPARAMPHYS::IndiceParametre(nom))].second = valeur;
    return valeurs;
}

void AppliqueTableDeMatch(TPARAMPHYS& fisik) {
    for (const auto& [indice, valeur] : ValeursTableDeMatch()) fisik.SetParametre(indice, valeur);
}
