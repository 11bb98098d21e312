#pragma once
// The three-component vector of the engine and its few operations. Every formula of the
// engine is written with these, in the order they are given, so that results are
// reproducible to the last digit.

#include <cmath>

/// A vector of the table frame (cm, cm/s or rad/s according to use).
struct TVecteur {
    double x = 0.0; ///< across the table
    double y = 0.0; ///< along the table
    double z = 0.0; ///< upwards
};

inline constexpr TVecteur VecteurNul{0.0, 0.0, 0.0};
inline constexpr TVecteur Uz{0.0, 0.0, 1.0};

inline TVecteur Vecteur(double x, double y, double z) {
    return TVecteur{x, y, z};
}
inline TVecteur Somme(TVecteur a, TVecteur b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline TVecteur Diff(TVecteur a, TVecteur b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline TVecteur Mult(TVecteur a, double k) {
    return {k * a.x, k * a.y, k * a.z};
}
inline double ProdScal(TVecteur a, TVecteur b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline TVecteur ProdVect(TVecteur a, TVecteur b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Norme2(TVecteur a) {
    return a.x * a.x + a.y * a.y + a.z * a.z;
}
inline double Norme(TVecteur a) {
    return std::sqrt(Norme2(a));
}
/// a divided componentwise by its norm; the zero vector (or a NaN norm) gives VecteurNul.
inline TVecteur Unitaire(TVecteur a) {
    const double n = Norme(a);
    if (n > 0.0) return {a.x / n, a.y / n, a.z / n};
    return VecteurNul;
}
