# The window as a Windows program, built against the static Qt of
# VANTREL_WINDOWS_QT (cmake/mingw-w64-x86_64.cmake): a GUI-subsystem program
# with its icon and version information, stripped, that carries everything
# it needs (Qt's platform plugin and style, the icons as PNG files, Qt's own
# Japanese texts) and imports only the system's DLLs.
#
# Included from the top-level CMakeLists.txt once vantrel_app and vantrel are
# defined; the tests' part is vantrel_windows_test_plugins.

# The static Qt has no SVG support: the icons come as PNG files rendered from
# the SVG ones on the build machine (scripts/build-windows --gui), in a
# resource of the same name as Icons.qrc (MainWindow.cpp initialises it).
if(NOT IS_DIRECTORY "${VANTREL_WINDOWS_ICONS}")
    message(FATAL_ERROR "VANTREL_WINDOWS_ICONS must name the folder of the rendered icons "
                        "(scripts/build-windows --gui makes it)")
endif()
get_target_property(vantrel_app_sources vantrel_app SOURCES)
list(FILTER vantrel_app_sources EXCLUDE REGEX "Icons\\.qrc$")
set_target_properties(vantrel_app PROPERTIES SOURCES "${vantrel_app_sources}")
file(GLOB vantrel_png_icons CONFIGURE_DEPENDS "${VANTREL_WINDOWS_ICONS}/*.png")
qt_add_resources(vantrel_app Icons PREFIX /icons BASE "${VANTREL_WINDOWS_ICONS}"
    FILES ${vantrel_png_icons})
target_compile_definitions(vantrel_app PRIVATE VANTREL_ICON_SUFFIX=".png")

# A static Qt has no translations folder: Qt's Japanese (its buttons and
# dialogs) is taken from the build machine's Qt and built in as
# ":/i18n/qtbase_ja.qm", where Translation.cpp looks first.
find_file(VANTREL_QTBASE_JA qtbase_ja.qm PATHS "${QT_HOST_PATH}/share/qt6/translations"
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
get_filename_component(vantrel_qt_translations "${VANTREL_QTBASE_JA}" DIRECTORY)
qt_add_resources(vantrel_app vantrel_qt_translations PREFIX /i18n BASE "${vantrel_qt_translations}"
    FILES "${VANTREL_QTBASE_JA}")

# No console window when started from Explorer (--help and --version find
# the parent's console themselves, Platform::UseParentConsole); the icon and
# version information of Explorer's Properties; no symbols.
set(VANTREL_ICO "${VANTREL_WINDOWS_ICONS}/vantrel.ico")
set(VANTREL_VERSION_COMMAS "")
foreach(part MAJOR MINOR PATCH TWEAK)
    set(number "${PROJECT_VERSION_${part}}")
    if(number STREQUAL "")
        set(number 0)
    endif()
    list(APPEND VANTREL_VERSION_COMMAS ${number})
endforeach()
list(JOIN VANTREL_VERSION_COMMAS "," VANTREL_VERSION_COMMAS)
configure_file("${CMAKE_CURRENT_LIST_DIR}/Vantrel.rc.in" "${PROJECT_BINARY_DIR}/Vantrel.rc" @ONLY)
target_sources(vantrel PRIVATE "${PROJECT_BINARY_DIR}/Vantrel.rc")
set_property(SOURCE "${PROJECT_BINARY_DIR}/Vantrel.rc" APPEND PROPERTY OBJECT_DEPENDS "${VANTREL_ICO}")
set_target_properties(vantrel PROPERTIES WIN32_EXECUTABLE ON)
target_link_options(vantrel PRIVATE -s)
qt_import_plugins(vantrel INCLUDE Qt6::QWindowsIntegrationPlugin Qt6::QWindowsVistaStylePlugin)

# The window's tests run on the offscreen platform (tests/CMakeLists.txt).
function(vantrel_windows_test_plugins target)
    qt_import_plugins(${target} INCLUDE Qt6::QOffscreenIntegrationPlugin)
endfunction()
