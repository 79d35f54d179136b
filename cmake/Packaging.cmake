# The Debian package (cpack -G DEB, run by scripts/package-linux): what
# `cmake --install` puts under the prefix (data/CMakeLists.txt), installed
# under /usr, plus what only a package carries: its copyright, changelog and manual
# pages (cmake/PackageExtras.cmake).
#
# Caches: the desktop entry, the file types and the icon land in the folders
# whose dpkg file triggers (desktop-file-utils, shared-mime-info, the hicolor
# icon theme) refresh their caches on install and removal, so the package has
# no maintainer scripts.

# The version is the one the programs print (src/common/ProgramInfo.h),
# written as ProgramVersionText() writes it: two decimals ("1.00").
file(STRINGS ${PROJECT_SOURCE_DIR}/src/common/ProgramInfo.h version_line
     REGEX "kProgramVersion = [0-9]")
if(NOT version_line MATCHES "kProgramVersion = ([0-9]+)(\\.([0-9]+))?[^0-9.]")
    message(FATAL_ERROR "Packaging: no kProgramVersion in src/common/ProgramInfo.h")
endif()
set(version_whole ${CMAKE_MATCH_1})
set(version_fraction "${CMAKE_MATCH_3}00")
if(CMAKE_MATCH_3 MATCHES "^[0-9][0-9][0-9]")
    message(FATAL_ERROR "Packaging: kProgramVersion has more than the two decimals the programs print")
endif()
string(SUBSTRING ${version_fraction} 0 2 version_fraction)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${version_whole}.${version_fraction})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "voice bank editor: sets loops on sound files and builds voice banks")
set(CPACK_PACKAGE_VENDOR "Vantrel developers")
set(VANTREL_PACKAGE_MAINTAINER "Vantrel developers <dev@vantrel.invalid>" CACHE STRING
    "The package's Maintainer field (name <address>)")
set(CPACK_PACKAGE_CONTACT ${VANTREL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # vantrel_VERSION_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies come from dpkg-shlibdeps. It cannot see Qt's plugins:
# the window's SVG icons are drawn by the icon engine in libqt6svg6 (the
# program itself needs none of that library's symbols), so that one is
# named here and joins the list dpkg-shlibdeps makes. Qt's own dialog texts in
# Japanese (Translation.cpp loads qtbase_ja) are welcome but not needed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(VANTREL_GUI)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION # follows the summary above
"Vantrel assembles an ordered list of sound files, sets a loop start and a
loop end on each while showing its waveform, plays it looping, saves the
list as an XML list file (.ksd) and exports one voice-bank file (.vbk).
.
The package holds the window (vantrel), the command-line tool (vantrel-cli)
for scripts, the desktop entry and the file types of list files and voice
banks, so that a file manager opens a list file with Vantrel.")

# Read by PackageExtras.cmake while cpack runs.
set(CPACK_VANTREL_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_VANTREL_DOC_DIR share/doc/${CPACK_PACKAGE_NAME})
set(CPACK_VANTREL_PROGRAMS vantrel-cli)
if(VANTREL_GUI)
    list(APPEND CPACK_VANTREL_PROGRAMS vantrel)
endif()
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageExtras.cmake)

include(CPack)
