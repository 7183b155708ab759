# Installing as a desktop program: both programs, a menu entry, icons, the
# recording file types and the vode-cli manual page; and a Debian package.
include(GNUInstallDirs)

set(VODE_PACKAGING ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(VODE_ICON_SIZES 48 128 256)

# The icons are the program's own picture, drawn by the same code as the
# about box, so they cannot drift apart.
add_executable(vode_icon ${VODE_PACKAGING}/ProgramIcon.cpp src/dialogs/ProgramPicture.cpp)
target_include_directories(vode_icon PRIVATE src)
target_link_libraries(vode_icon PRIVATE Qt6::Gui)
set(VODE_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(VODE_ICON_FILES)
foreach(size IN LISTS VODE_ICON_SIZES)
  list(APPEND VODE_ICON_FILES ${VODE_ICON_DIR}/${size}.png)
endforeach()
add_custom_command(OUTPUT ${VODE_ICON_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VODE_ICON_DIR}
  COMMAND vode_icon ${VODE_ICON_DIR} ${VODE_ICON_SIZES}
  DEPENDS vode_icon
  COMMENT "Drawing the program's icons")

set(VODE_MAN_PAGE ${CMAKE_CURRENT_BINARY_DIR}/vode-cli.1)
add_custom_command(OUTPUT ${VODE_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:vode-cli> -DOUT=${VODE_MAN_PAGE}
          -DVERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake
  DEPENDS vode-cli ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake
  COMMENT "Writing the vode-cli manual page from its help")
add_custom_target(vode_install_files ALL DEPENDS ${VODE_ICON_FILES} ${VODE_MAN_PAGE})

install(TARGETS vode vode-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VODE_PACKAGING}/rezu-vode.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VODE_PACKAGING}/rezu-vode-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME rezu-vode.xml)
foreach(size IN LISTS VODE_ICON_SIZES)
  install(FILES ${VODE_ICON_DIR}/${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME rezu-vode.png)
endforeach()
install(FILES ${VODE_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The manual, which Help/"&Help" opens: with the program's data rather than
# under share/doc, which slim installations leave out. A program run from the
# build folder finds the source tree's copy through build/manual.
install(DIRECTORY docs/manual/ DESTINATION ${CMAKE_INSTALL_DATADIR}/rezu-vode/manual)
file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/docs/manual ${CMAKE_CURRENT_BINARY_DIR}/manual SYMBOLIC)

# The installed tree, checked in a throw-away prefix.
add_test(NAME InstallTree
  COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_CURRENT_BINARY_DIR} -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-test
          -DSIZES=${VODE_ICON_SIZES} -P ${CMAKE_CURRENT_SOURCE_DIR}/tests/install/CheckInstall.cmake)
set_tests_properties(InstallTree PROPERTIES TIMEOUT 120)

# ---- Debian package (cpack -G DEB) --------------------------------------------
set(CPACK_PACKAGE_NAME rezu-vode)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "R.E.Z.U.")
set(CPACK_PACKAGE_CONTACT "R.E.Z.U. Vode developers <vode@rezu.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "view, tag and analyse recordings of breath sounds")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "R.E.Z.U. Vode shows recordings of breath sounds and air flow as sonograms, waveforms and\n"
  "spectra, lets the user tag breath phases and artefacts, finds wheezes and writes reports.\n"
  "vode-cli runs the same reading, analysis and reports from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(VODE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VODE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6, libqt6gui6, libqt6core6, libqt6multimedia6, libqt6printsupport6, libsndfile1, libsoxr0, libstdc++6, libc6")
endif()
# Wayland sessions need Qt's further platform plug-ins; the file-type and
# menu caches are refreshed by the last two.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, shared-mime-info, desktop-file-utils, xdg-utils")
include(CPack)
