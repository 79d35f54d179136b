# Run by cpack after the install into its staging folder and before the
# package is made (CPACK_PRE_BUILD_SCRIPTS, cmake/Packaging.cmake): adds
# what only the Debian package carries, in the package's own doc folder
# (/usr/share/doc/vantrel):
#   copyright      data/copyright (machine-readable Debian format),
#   changelog.gz   one entry for the packaged version,
# and a manual page for each program, made by help2man from its --help and
# --version, so the pages never drift from what the programs say.
# Folders and files get Debian's modes whatever the umask of the build.

set(root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${root}/${CPACK_VANTREL_DOC_DIR})
set(man ${root}/share/man/man1)
file(MAKE_DIRECTORY ${doc} ${man})

# Compressed as Debian wants: best compression, no name or time stamp.
function(vantrel_gzip path)
    execute_process(COMMAND gzip -9nf ${path} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "Packaging: cannot compress ${path}")
    endif()
endfunction()

configure_file(${CPACK_VANTREL_SOURCE_DIR}/data/copyright ${doc}/copyright COPYONLY)

# The date honours SOURCE_DATE_EPOCH, so a rebuild can be byte for byte the same.
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${doc}/changelog
"${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium

  * Vantrel ${CPACK_PACKAGE_VERSION}.

 -- ${CPACK_PACKAGE_CONTACT}  ${date}
")
vantrel_gzip(${doc}/changelog)

# One line per program for the page's NAME section.
set(summary_vantrel "set loops on sound files and build voice banks in a window")
set(summary_vantrel-cli "build and check voice banks from the shell")
find_program(help2man help2man REQUIRED)
foreach(program IN LISTS CPACK_VANTREL_PROGRAMS)
    execute_process(COMMAND ${help2man} --no-info --no-discard-stderr
                            --name "${summary_${program}}" --output ${man}/${program}.1
                            ${root}/bin/${program}
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "Packaging: help2man failed for ${program}")
    endif()
    vantrel_gzip(${man}/${program}.1)
endforeach()

file(GLOB_RECURSE entries LIST_DIRECTORIES true ${root}/*)
foreach(path IN ITEMS ${root} LISTS entries)
    if(IS_DIRECTORY ${path})
        file(CHMOD ${path} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                                       GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endif()
endforeach()
file(GLOB docs ${doc}/* ${man}/*)
file(CHMOD ${docs} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
