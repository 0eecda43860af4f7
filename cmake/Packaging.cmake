# `cpack` builds a Debian package of what `cmake --install` installs, its
# runtime dependencies read off the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME thrumwise)
set(CPACK_PACKAGE_VENDOR "The Thrumwise developers")
set(CPACK_PACKAGE_CONTACT "The Thrumwise developers <developers@thrumwise.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Haptic feedback on chosen key presses and clicks in games")
set(CPACK_PACKAGE_DESCRIPTION
    "Thrumwise lives in the system tray and listens to the keyboard and mouse. While a game "
    "with a profile is in front, every mapped key press or click asks the haptic device's "
    "plug-in to play an effect.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://thrumwise.example")
set(CPACK_STRIP_FILES ON)
include(CPack)
