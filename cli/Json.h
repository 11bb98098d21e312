#pragma once
// A small JSON writer for the command line: numbers that read back to the same double,
// non-finite numbers as null, escaped strings. Commas are placed by the writer.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TJson {
  public:
    TJson& DebutObjet();
    TJson& FinObjet();
    TJson& DebutTableau();
    TJson& FinTableau();
    /// The name of the next member of the current object.
    TJson& Cle(std::string_view nom);

    TJson& Nombre(double valeur);
    TJson& Entier(int64_t valeur);
    TJson& Booleen(bool valeur);
    TJson& Chaine(std::string_view texte);
    TJson& Nul();

    /// Shortcuts for a member: Cle(nom) then the value.
    TJson& Membre(std::string_view nom, double valeur) { return Cle(nom).Nombre(valeur); }
    TJson& Membre(std::string_view nom, int64_t valeur) { return Cle(nom).Entier(valeur); }
    TJson& Membre(std::string_view nom, int32_t valeur) { return Cle(nom).Entier(valeur); }
    TJson& Membre(std::string_view nom, bool valeur) { return Cle(nom).Booleen(valeur); }
    TJson& Membre(std::string_view nom, std::string_view texte) { return Cle(nom).Chaine(texte); }
    TJson& Membre(std::string_view nom, const char* texte) { return Cle(nom).Chaine(texte); }

    const std::string& Texte() const { return Sortie; }

    /// The shortest text that reads back to `valeur`; "null" when it is not finite.
    static std::string TexteNombre(double valeur);
    /// `texte` between double quotes, with quotes, backslashes and control characters escaped.
    static std::string TexteChaine(std::string_view texte);

  private:
    void AvantValeur();

    std::string Sortie;
    std::vector<bool> Premiers; ///< per open object or array: no member written yet
    bool ApresCle = false;
};
