#!/usr/bin/env bash
# A build folder that came with a copied tree: its cache names the old tree and is cleared with
# a word; the tree's own cache, or no cache, is left alone.
set -euo pipefail
script="$1/scripts/cache-etranger"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
echec() { echo "ÉCHEC : $*" >&2; exit 1; }

mkdir -p "$tmp/ancien" "$tmp/copie/build/CMakeFiles" "$tmp/propre/build/CMakeFiles"
printf 'CMAKE_BUILD_TYPE:STRING=Release\nCMAKE_HOME_DIRECTORY:INTERNAL=%s\n' "$tmp/ancien" \
    >"$tmp/copie/build/CMakeCache.txt"
touch "$tmp/copie/build/objet.o"
message=$(bash "$script" "$tmp/copie" "$tmp/copie/build" 2>&1) || echec "statut non nul"
[ ! -e "$tmp/copie/build/CMakeCache.txt" ] || echec "le cache étranger est resté"
[ ! -e "$tmp/copie/build/CMakeFiles" ] || echec "CMakeFiles étranger est resté"
[ -e "$tmp/copie/build/objet.o" ] || echec "les objets compilés ont été effacés"
grep -q "$tmp/ancien" <<<"$message" || echec "le message ne nomme pas l'ancien arbre : $message"

# The tree's own cache, reached through a link: kept, silently.
ln -s "$tmp/propre" "$tmp/lien"
printf 'CMAKE_HOME_DIRECTORY:INTERNAL=%s\n' "$tmp/lien" >"$tmp/propre/build/CMakeCache.txt"
message=$(bash "$script" "$tmp/propre" "$tmp/propre/build" 2>&1) || echec "statut non nul"
[ -e "$tmp/propre/build/CMakeCache.txt" ] || echec "le cache de l'arbre a été effacé"
[ -z "$message" ] || echec "message inattendu : $message"

# No build folder yet.
bash "$script" "$tmp/propre" "$tmp/absent" || echec "un dossier absent fait échouer"
echo "ok"
