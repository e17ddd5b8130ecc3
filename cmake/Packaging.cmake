# The Debian package: scripts/package runs cpack with this. The program and its Tunes lie in
# /usr/lib/veltrosan-tuner, the commands are linked into /usr/bin.
set(TUNER_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/veltrosan-tuner)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${TUNER_DOC_DIR})
set(TUNER_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(
  OUTPUT ${TUNER_CHANGELOG}
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian > ${TUNER_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian)
add_custom_target(tuner-changelog ALL DEPENDS ${TUNER_CHANGELOG})
install(FILES ${TUNER_CHANGELOG} DESTINATION ${TUNER_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrosan-tuner)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# A Debian synopsis is a phrase: the description with a small first letter.
string(SUBSTRING "${PROJECT_DESCRIPTION}" 0 1 first)
string(SUBSTRING "${PROJECT_DESCRIPTION}" 1 -1 rest)
string(TOLOWER "${first}" first)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${first}${rest}")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "${TUNER_TITLE} shows the head of the instrument with its tuning pegs;"
  "pressing a peg plays that string's reference tone, looping or once. It comes"
  "with ukulele, guitar, bass, mandolin, banjo and violin, and the command"
  "veltrosan-tuner-make makes any other tuning at any reference pitch."
  "Screen readers name every peg, and the keyboard presses them. A second"
  "window, ${TUNER_TITLE} Listen, hears the instrument through the microphone"
  "and shows how many cents each string is from its reference tone.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Veltrosan Tuner developers <tuner@veltrosan.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# The linked libraries are found by dpkg-shlibdeps. What the program loads at run time is not:
# SDL2 and libsndfile (opened when the first sound plays), libpulse (asked before SDL starts,
# see sound_server_check.h), Qt's platform plug-ins, and the font the window asks for ("Arial",
# which fontconfig maps to Liberation Sans).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsdl2-2.0-0, libsndfile1, libpulse0, qt6-qpa-plugins, fonts-liberation, fontconfig")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "at-spi2-core, pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
