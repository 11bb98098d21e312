# Each target exports its own folder only, so that including a header of a target it does not
# link fails to build. Headers are still written "engine/X.h", from the project root: the folder
# is reached through an include root of its own in the build tree, racines/<folder>, which holds
# one link, <folder>, to the source folder.
function(alveran_racine cible dossier)
  set(racine ${PROJECT_BINARY_DIR}/racines/${dossier})
  file(MAKE_DIRECTORY ${racine})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${dossier} ${racine}/${dossier} SYMBOLIC)
  target_include_directories(${cible} PUBLIC ${racine})
endfunction()
