# Where an installed cabinet keeps what: the programs (root's), the game's read-only data,
# the units and the settings. The package (scripts/package.sh) installs from these rules;
# the game's own folder, /var/lib/strikora, is made at install time (debian/strikora.tmpfiles).
include(GNUInstallDirs)
set(STRIKORA_SYSTEMD_UNIT_DIR "/lib/systemd/system" CACHE STRING "Where the systemd units go")

install(TARGETS strikora RUNTIME DESTINATION games)
install(TARGETS moneyd RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR})
install(TARGETS moneyctl meters RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The pictures, sounds and packs, as the build drew and compiled them.
install(DIRECTORY ${STRIKORA_GAME_DIR}/Graphic_resource ${STRIKORA_GAME_DIR}/sounds
                  ${STRIKORA_GAME_DIR}/Questions
        DESTINATION ${CMAKE_INSTALL_DATADIR}/strikora)
install(FILES ${PROJECT_SOURCE_DIR}/deploy/systemd/strikora.service
              ${PROJECT_SOURCE_DIR}/deploy/systemd/strikora-moneyd.service
              ${PROJECT_SOURCE_DIR}/deploy/systemd/strikora-meters.service
              ${PROJECT_SOURCE_DIR}/deploy/systemd/strikora-meters.path
              ${PROJECT_SOURCE_DIR}/deploy/systemd/strikora-money-metrics.service
              ${PROJECT_SOURCE_DIR}/deploy/systemd/strikora-money-metrics.timer
        DESTINATION ${STRIKORA_SYSTEMD_UNIT_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/deploy/etc/strikora.conf
        DESTINATION /etc/strikora)
install(FILES ${PROJECT_SOURCE_DIR}/deploy/etc/sudoers-strikora
        DESTINATION /etc/sudoers.d RENAME strikora
        PERMISSIONS OWNER_READ GROUP_READ)
