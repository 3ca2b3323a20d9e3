# The Debian package, built with `cpack -G DEB` in the build folder: the program, its manual page
# and its completions under /usr, with the runtime dependencies that dpkg-shlibdeps computes from
# the libraries the program is linked with.
# A plain variable: a cache entry left in an older build folder does not outlive a change here.
set(SONACLI_PACKAGE_MAINTAINER "sonacli maintainers <maintainers@sonacli.example.org>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sonacli)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SONACLI_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CPack puts the space in front of every line of the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "console text-to-speech with Yandex SpeechKit
sonacli reads a text (files, a list of files, the clipboard, standard input or
the command line), prepares it (line selection, filters, pronunciation
dictionaries, inline tags), has the Yandex SpeechKit service speak it piece by
piece, and writes one WAV file, or a WAV or raw PCM stream on standard output,
with LRC and SRT files timed by the speech. It can also voice subtitle files
in time.")

# The copyright file (the MIT licence of LICENSE) and the changelog that every Debian package
# carries.
string(TIMESTAMP SONACLI_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(doc/debian/copyright ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
configure_file(doc/debian/changelog ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.gz
  COMMAND gzip -9nfk changelog
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/debian
  DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog
  VERBATIM)
add_custom_target(sonacli_package_docs ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
        DESTINATION share/doc/sonacli)

include(CPack)
