# Installation and the Debian package. `cmake --install build` lays the programs, the sample
# positions, the README and the desktop integration (menu entries, icon, file type, AppStream
# metadata) out under the prefix in the freedesktop places; `scripts/package` packs the same
# layout into a .deb with CPack.
include(GNUInstallDirs)

# The application id names the main desktop entry, the icon, the file type's package and the
# AppStream metadata; main.cpp gives the same name to the desktop.
set(ALVERAN_ID fr.alveran.Alveran)
set(ALVERAN_DATA ${PROJECT_SOURCE_DIR}/data)
set(ALVERAN_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/alveran) # Debian's place, named after the package

# Installing only copies: build the programs first (scripts/package does), rather than have
# `install` and CPack build every test and benchmark as well.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

foreach(programme IN ITEMS alveran dbalv alveran-cli)
  if(TARGET ${programme})
    install(TARGETS ${programme} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/alveran/samples
  FILES_MATCHING PATTERN "*.alv" PATTERN "*.alv2")
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${ALVERAN_DOCDIR})

if(TARGET alveran)
  install(FILES ${ALVERAN_DATA}/${ALVERAN_ID}.desktop ${ALVERAN_DATA}/fr.alveran.DbAlv.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${ALVERAN_DATA}/${ALVERAN_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # The position files show the program's icon in file managers.
  install(FILES ${ALVERAN_DATA}/${ALVERAN_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes
    RENAME application-x-alveran-position.svg)
  install(FILES ${ALVERAN_DATA}/${ALVERAN_ID}.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${ALVERAN_DATA}/${ALVERAN_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The Debian package. The menu, file-type and icon caches are refreshed by the triggers of
# desktop-file-utils, shared-mime-info and the icon theme, so it needs no scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME alveran)
set(CPACK_PACKAGE_VENDOR "Démo2D Alveran")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "carom billiards shot simulator / simulateur de coups de billard carambole")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Démo2D Alveran places the three balls of carom billiards (white, yellow, red) on a
drawn table, sets the cue stroke (side effect, height, speed, cue inclination, cue mass,
aim) and computes the balls' motion in three dimensions: sliding, rolling, spin, jumps,
impacts between balls, with the cushions and with the cloth. It draws or replays the
trajectories and says whether the point is made in free, one-cushion or three-cushion
play. The package holds the window program (alveran), the companion shot database
(dbalv) and the command line (alveran-cli). The interface is in French.

Démo2D Alveran place les trois billes du billard carambole (blanche, jaune, rouge) sur
un billard dessiné, règle le coup de queue (effet, hauteur, vitesse, inclinaison et
masse de la queue, visée) et calcule le mouvement des billes en trois dimensions :
glissement, roulement, rotation, sauts, chocs entre billes, sur les bandes et sur le
tapis. Il dessine ou rejoue les trajectoires et dit si le point est réussi en partie
libre, à une bande ou à trois bandes. Le paquet contient le programme à fenêtres
(alveran), la base de coups qui l'accompagne (dbalv) et la ligne de commande
(alveran-cli).]=])
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Équipe Démo2D Alveran <alveran@alveran.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # alveran_<version>_<architecture>.deb
# The libraries the programs link, found by dpkg-shlibdeps; plus what Qt loads at run time,
# which no link line shows: the platform plugins (a window needs one) and dbAlv's SQLite driver.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
# The windows ask for "Arial"; Liberation Sans has its metrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_STRIP_FILES ON)
include(CPack)
