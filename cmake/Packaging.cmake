# The Debian package: `cpack -G DEB` in a build tree (scripts/package.sh does it all) makes
# vyper-grundelnetz_<version>-<release>_<arch>.deb with both programs, the desktop entry, the
# icons, the man pages, the AppStream metadata and the package's copyright, changelog and
# lintian overrides.
#
# The files that only a package needs (man pages, metadata, copyright, changelog, overrides)
# belong to the install component "package", left out of a plain `cmake --install`, which
# installs the programs, the desktop entry and the icons as before; CPack installs every
# component.

set(VYPER_PACKAGE_NAME "vyper-grundelnetz")
set(VYPER_CLI_PROGRAM "vyper-grundelnetz-cli")
set(VYPER_PACKAGE_RELEASE "1" CACHE STRING "Debian revision of the package (the part after the version)")
set(VYPER_PACKAGE_MAINTAINER "Vyper-Grundelnetz maintainers <maintainers@grundelnetz.invalid>"
    CACHE STRING "Maintainer field of the Debian package: name <address>")
set(VYPER_PACKAGING_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(VYPER_PACKAGING_BINARY_DIR ${CMAKE_CURRENT_BINARY_DIR}/packaging)

# The command-line program goes into the package when this tree builds it.
set(VYPER_PACKAGED_PROGRAMS ${VYPER_PROGRAM})
if(TARGET ${VYPER_CLI_PROGRAM})
  list(APPEND VYPER_PACKAGED_PROGRAMS ${VYPER_CLI_PROGRAM})
endif()

# Dates of the release in the metadata and the changelog: SOURCE_DATE_EPOCH when set (the
# package script sets it to the time of the last commit, so that a package built twice from
# the same commit is the same), else the time of configuring.
string(TIMESTAMP VYPER_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VYPER_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

# AppStream metadata, named after the desktop entry's id; lists the programs it provides.
set(VYPER_METAINFO_BINARIES "")
foreach(program IN LISTS VYPER_PACKAGED_PROGRAMS)
  string(APPEND VYPER_METAINFO_BINARIES "\n    <binary>${program}</binary>")
endforeach()
set(VYPER_METAINFO ${VYPER_PACKAGING_BINARY_DIR}/${VYPER_APP_ID}.metainfo.xml)
configure_file(${VYPER_PACKAGING_DIR}/${VYPER_APP_ID}.metainfo.xml.in ${VYPER_METAINFO} @ONLY)

# The Debian changelog, one entry for this version.
configure_file(${VYPER_PACKAGING_DIR}/changelog.in ${VYPER_PACKAGING_BINARY_DIR}/changelog.Debian @ONLY)

# Man pages and the changelog, compressed as Debian wants them: gzip -9 without a name or a
# time stamp in the header (-n), so that the bytes depend on the text alone.
find_program(VYPER_GZIP gzip REQUIRED)
set(VYPER_COMPRESSED "")
set(VYPER_MAN_PAGES "")
foreach(program IN LISTS VYPER_PACKAGED_PROGRAMS)
  list(APPEND VYPER_MAN_PAGES ${VYPER_PACKAGING_DIR}/${program}.1)
endforeach()
foreach(source IN LISTS VYPER_MAN_PAGES ITEMS ${VYPER_PACKAGING_BINARY_DIR}/changelog.Debian)
  get_filename_component(name ${source} NAME)
  set(copy ${VYPER_PACKAGING_BINARY_DIR}/compressed/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${VYPER_GZIP} -9 -n -f ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  list(APPEND VYPER_COMPRESSED ${copy}.gz)
endforeach()
add_custom_target(vyper-package-files ALL DEPENDS ${VYPER_COMPRESSED})
# Everything the package installs, for a build that makes only that (scripts/package.sh).
add_custom_target(vyper-package-contents DEPENDS vyper-package-files ${VYPER_PACKAGED_PROGRAMS})

set(VYPER_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/${VYPER_PACKAGE_NAME})
foreach(source IN LISTS VYPER_MAN_PAGES)
  get_filename_component(name ${source} NAME)
  install(FILES ${VYPER_PACKAGING_BINARY_DIR}/compressed/${name}.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT package EXCLUDE_FROM_ALL)
endforeach()
install(FILES ${VYPER_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${VYPER_PACKAGING_DIR}/copyright ${VYPER_PACKAGING_BINARY_DIR}/compressed/changelog.Debian.gz
        DESTINATION ${VYPER_PACKAGE_DOCDIR} COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${VYPER_PACKAGING_DIR}/lintian-overrides RENAME ${VYPER_PACKAGE_NAME}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT package EXCLUDE_FROM_ALL)

# The package's control data.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME ${VYPER_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VYPER_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_CONTACT ${VYPER_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VYPER_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download dives from Suunto Vyper and Cobra dive computers")
set(VYPER_PACKAGE_DESCRIPTION
  "Vyper-Grundelnetz reads the settings and the stored dives of a Suunto Vyper or\n"
  "Suunto Cobra wrist dive computer over a serial line, through the original\n"
  "Suunto interface cable or a self-built one that echoes every byte. It stores\n"
  "every dive as a small text file, plots a stored dive as depth over time,\n"
  "lists the stored dives in a logbook and exports them as UDDF or CSV for\n"
  "other logbook programs.\n"
  "\n"
  "Its user interface is in German.")
if(TARGET ${VYPER_CLI_PROGRAM})
  list(APPEND VYPER_PACKAGE_DESCRIPTION
    "\n\n"
    "The command-line program vyper-grundelnetz-cli reads the settings, downloads\n"
    "and exports dives without a window, for scripts and terminals.")
endif()
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION ${VYPER_PACKAGE_DESCRIPTION})
# Libraries from the programs (dpkg-shlibdeps; Qt's X11 platform plugin comes with libqt6gui6);
# the font the windows are laid out for (DejaVu Sans Condensed) is found only at run time, so
# it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Installed to /usr through DESTDIR, so that install-time paths (the desktop entry's Exec)
# name /usr/bin and not the staging folder.
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_INSTALL_PREFIX "/usr")
set(CPACK_SET_DESTDIR ON)

# One package of every install component, the package-only one included.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
get_cmake_property(CPACK_COMPONENTS_ALL COMPONENTS)

include(CPack)
