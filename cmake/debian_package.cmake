# The Linux install and the Debian package (cpack -G DEB in build/linux): the program and the data
# builder, the data sources, a level-8 real data set built here at build time (read-only when
# installed; the program keeps its caches in the user's cache folder), the XScreenSaver hack where
# Debian's XScreenSaver looks for hacks and their descriptions, a desktop entry with its icon,
# manual pages and the Debian documentation files.
include(GNUInstallDirs)

set(package_files "${CMAKE_BINARY_DIR}/package-files")

# The level-8 set, rebuilt only when the builder or its sources change.
set(packaged_data "${CMAKE_BINARY_DIR}/packaged-data")
file(GLOB_RECURSE data_source_files CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/data/sources/*")
add_custom_command(
  OUTPUT "${packaged_data}/nodes8.hex"
  COMMAND "${CMAKE_COMMAND}" -E rm -rf "${packaged_data}"
  COMMAND redsphere-mkdata --level 8 --threads 2 "${packaged_data}" > /dev/null
  DEPENDS redsphere-mkdata ${data_source_files}
  COMMENT "Building the packaged level-8 data set"
  VERBATIM)
add_custom_target(packaged_data ALL DEPENDS "${packaged_data}/nodes8.hex")

# Manual pages and the Debian changelog are installed compressed, without time stamps, as Debian
# wants them; the icon is the build's own, taken from the Windows icon file.
set(man_pages "${CMAKE_SOURCE_DIR}/shell/linux/redsphere.6" "${CMAKE_SOURCE_DIR}/tools/mkdata/redsphere-mkdata.1")
set(compressed)
foreach(page IN LISTS man_pages)
  get_filename_component(name "${page}" NAME)
  add_custom_command(
    OUTPUT "${package_files}/${name}.gz"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${package_files}"
    COMMAND sh -c "gzip -9n < '${page}' > '${package_files}/${name}.gz'"
    DEPENDS "${page}"
    VERBATIM)
  list(APPEND compressed "${package_files}/${name}.gz")
endforeach()
add_custom_command(
  OUTPUT "${package_files}/changelog.gz"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${package_files}"
  COMMAND sh -c "gzip -9n < '${CMAKE_SOURCE_DIR}/shell/linux/debian/changelog' > '${package_files}/changelog.gz'"
  DEPENDS "${CMAKE_SOURCE_DIR}/shell/linux/debian/changelog"
  VERBATIM)
add_custom_command(
  OUTPUT "${package_files}/redsphere.png"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${package_files}"
  # The 256-pixel image is the icon file's last.
  COMMAND convert "${CMAKE_BINARY_DIR}/resources/pictures/redsphere.ico[6]" "${package_files}/redsphere.png"
  DEPENDS "${CMAKE_BINARY_DIR}/resources/pictures/redsphere.ico"
  VERBATIM)
# The hack is the program itself, linked from where XScreenSaver runs hacks.
add_custom_command(
  OUTPUT "${package_files}/hack/redsphere"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${package_files}/hack"
  COMMAND "${CMAKE_COMMAND}" -E create_symlink ../../bin/redsphere "${package_files}/hack/redsphere"
  VERBATIM)
add_custom_target(package_files ALL DEPENDS ${compressed} "${package_files}/changelog.gz"
                  "${package_files}/redsphere.png" "${package_files}/hack/redsphere")
add_dependencies(package_files redsphere_pictures)

install(TARGETS redsphere redsphere-mkdata RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${package_files}/hack/redsphere" DESTINATION "${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver")
install(FILES "${CMAKE_SOURCE_DIR}/shell/linux/redsphere.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/xscreensaver/config")
install(FILES "${CMAKE_SOURCE_DIR}/shell/linux/redsphere.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${package_files}/redsphere.png" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps")
install(FILES "${package_files}/redsphere.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
install(FILES "${package_files}/redsphere-mkdata.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(DIRECTORY "${packaged_data}/" DESTINATION "${CMAKE_INSTALL_DATADIR}/redsphere/data"
        FILES_MATCHING PATTERN "*.hex" PATTERN "redsphere-data.txt")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/data/sources/" DESTINATION "${CMAKE_INSTALL_DATADIR}/redsphere/sources")
install(FILES "${CMAKE_SOURCE_DIR}/shell/linux/debian/copyright" "${package_files}/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/redsphere")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME redsphere)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Redsphere developers <redsphere@example.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Mars as a lit 3D globe: screensaver and viewer")
# CPack puts the summary first and indents these lines itself; an empty line becomes " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Redsphere shows the planet Mars as a lit globe with OpenGL, from real data:
MOLA relief with an adjustable exaggeration, the Viking colour mosaic, the
Hipparcos stars and the sun, a translucent atmosphere and cast shadows, and a
terraformed look in which a sea rises in the low land and clouds fade in.
The camera flies by on its own or is flown with keys and mouse.

The package holds the program (a window, full screen, or an XScreenSaver
hack), the data builder redsphere-mkdata with its sources, and a prebuilt
level-8 data set.")
include(CPack)
