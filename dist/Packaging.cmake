# SPDX-License-Identifier: GPL-3.0-or-later
# CPack settings for the .deb; included from the top-level list file, where CPack has to be.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavrel)
set(CPACK_PACKAGE_VENDOR "Kavrel developers")
set(CPACK_PACKAGE_CONTACT "Kavrel developers <kavrel-developers@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# A .deb's long description is read in a terminal, so its lines are kept short.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Kavrel shows a random row of capital letters, one at a time, then hides it"
  "and asks for the letters back from memory, counting right and wrong answers."
  "Its window is in Simplified Chinese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
# dpkg-shlibdeps finds the Qt libraries; what Qt loads at run time it cannot see: the platform
# plugins, Qt's own translations, and the faces the font substitutes point at.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins qt6-translations-l10n
  ${KAVREL_FACE_PACKAGES})
# Without the theme's index a bare system's launchers may not find the icons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")

# The package's file times are fixed by the source, not by the clock (see SourceDate.cmake). Its
# modes follow the umask, which has to be 022, as dpkg-buildpackage sets it.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/SourceDate.cmake)

include(CPack)
