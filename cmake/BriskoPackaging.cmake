# Installation and packages. `cmake --install` lays out the program folder (executable, BD/BANCO.db,
# command file; artwork and fonts are compiled into the executable); on Linux also a launcher, a
# desktop entry and an icon. CPack makes a .deb and a .tar.gz (a .zip on Windows).
if(NOT BRISKO_BUILD_UI)
  return()
endif()

if(WIN32)
  # The program folder is the installation folder itself, as the store's computer expects.
  set(_program_default ".")
  set(_command_file fechar.bat)
else()
  set(_program_default "lib/briskoderereve")
  set(_command_file fechar.sh)
endif()
set(BRISKO_INSTALL_PROGRAM_DIR "${_program_default}" CACHE STRING
    "Program folder under the installation prefix (executable, BD/BANCO.db, command file)")

# The build's own program folder is where developers run the program, so its database may hold
# their sign-in and orders; the installation gets one made fresh from the schema.
set(_fresh_db_dir "${CMAKE_BINARY_DIR}/packaging/BD")
add_custom_command(
  OUTPUT ${_fresh_db_dir}/BANCO.db
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_fresh_db_dir}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${_fresh_db_dir}/BANCO.db
  COMMAND sqlite3 ${_fresh_db_dir}/BANCO.db ${BRISKO_READ_SCHEMA}
  DEPENDS ${PROJECT_SOURCE_DIR}/src/store/schema.sql ${BRISKO_MIGRATIONS}
  COMMENT "Writing the fresh database for the installation"
  VERBATIM)
add_custom_target(brisko_install_db ALL DEPENDS ${_fresh_db_dir}/BANCO.db)

install(TARGETS BriskoDerereve RUNTIME DESTINATION ${BRISKO_INSTALL_PROGRAM_DIR} COMPONENT program)
# The installed database holds nothing but the tables: on Linux it is the template every user's
# launcher copies (so every user may read it), and each copy is the user's alone. A program run in
# the installed folder itself closes its database to others when it opens it.
install(FILES ${_fresh_db_dir}/BANCO.db DESTINATION ${BRISKO_INSTALL_PROGRAM_DIR}/BD COMPONENT program
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/src/app/${_command_file}
        DESTINATION ${BRISKO_INSTALL_PROGRAM_DIR} COMPONENT program)

if(NOT WIN32)
  # The launcher finds the program folder relative to itself, so the tree can move as a whole.
  file(RELATIVE_PATH BRISKO_INSTALL_LAUNCHER_TO_PROGRAM "/prefix/bin" "/prefix/${BRISKO_INSTALL_PROGRAM_DIR}")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/briskoderereve.in ${CMAKE_BINARY_DIR}/packaging/briskoderereve @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/briskoderereve DESTINATION bin COMPONENT program)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/briskoderereve.desktop
          DESTINATION share/applications COMPONENT program)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/briskoderereve.svg
          DESTINATION share/icons/hicolor/scalable/apps COMPONENT program)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/briskoderereve.png
          DESTINATION share/icons/hicolor/256x256/apps COMPONENT program)
endif()

if(BRISKO_CA_FILE)
  message(STATUS "Packages trust the extra CA file ${BRISKO_CA_FILE}; a release build sets BRISKO_CA_FILE empty")
endif()

set(CPACK_PACKAGE_NAME briskoderereve)
set(CPACK_PACKAGE_VENDOR "Brisko Derereve Vilamar")
set(CPACK_PACKAGE_CONTACT "BriskoDerereve developers <dev@brisko-derer.dev>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Imports a food store's marketplace orders and requests couriers for them")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY BriskoDerereve)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The order cards draw emoji; without a colour emoji font they show as empty boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-noto-color-emoji)
include(CPack)
