# What an install holds besides the programs, and the Debian package that `cpack -G DEB` makes of
# it in the build directory.
#
# /usr/share/doc/qvkavi holds the copyright, the package's changelog, the README and the
# authoring guide (which `qvkcheck --help` sends authors to, so it must come with the tools).
# Every program has a manual page in section 6, the section of games and their tools.
set(QVK_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/qvkavi)
set(QVK_DEBIAN_RELEASE 1)
set(QVK_MADE_DOCS ${CMAKE_BINARY_DIR}/docs)
find_program(QVK_GZIP gzip REQUIRED)

# gzip -9n: the most compression and no name or time in the header, so the same source gives
# the same bytes.
function(qvk_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QVK_MADE_DOCS}
    COMMAND sh -c "\"$0\" -9nc \"$1\" >\"$2\"" ${QVK_GZIP} ${source} ${output}
    DEPENDS ${source}
    VERBATIM)
endfunction()

# The package's changelog names the version the project builds.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^qvkavi \\(${PROJECT_VERSION}-${QVK_DEBIAN_RELEASE}\\) ")
  message(FATAL_ERROR "packaging/changelog begins with '${changelog_top}', but the package is "
    "version ${PROJECT_VERSION}-${QVK_DEBIAN_RELEASE}: give it an entry for that version")
endif()
qvk_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${QVK_MADE_DOCS}/changelog.Debian.gz)
set(made_docs ${QVK_MADE_DOCS}/changelog.Debian.gz)

file(GLOB QVK_MANUAL_PAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/*.6)
foreach(page ${QVK_MANUAL_PAGES})
  get_filename_component(name ${page} NAME)
  qvk_gzip(${page} ${QVK_MADE_DOCS}/${name}.gz)
  list(APPEND made_docs ${QVK_MADE_DOCS}/${name}.gz)
  install(FILES ${QVK_MADE_DOCS}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endforeach()
add_custom_target(docs ALL DEPENDS ${made_docs})

install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${QVK_MADE_DOCS}/changelog.Debian.gz
  ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/authoring.md
  DESTINATION ${QVK_DOC_INSTALL_DIR})

# lintian's tags that do not fit this package, overridden with their reasons.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME qvkavi)

# A stripped install (`cmake --install --strip`, and the package) also drops the sections that
# only say which compiler made a program, as Debian's own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    file(GLOB programs \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${QVK_INSTALL_PROGRAM_DIR}/*\")
    foreach(program \${programs})
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\${program}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()
")

# The Debian package: the programs, the menu entry, its AppStream description, the icons, the
# documentation and the sample game. Its dependencies are what dpkg-shlibdeps finds the programs
# link.
set(CPACK_PACKAGE_NAME qvkavi)
set(CPACK_PACKAGE_VENDOR "The qvkavi developers")
set(CPACK_PACKAGE_CONTACT "The qvkavi developers <qvkavi@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop player for the interactive-movie game Quarnvale II")
set(CPACK_PACKAGE_DESCRIPTION [[qvkavi plays Quarnvale II, an interactive-movie arcade game of
pre-rendered scenes in which the player has one second at set moments to make
the right move. The package holds the player, a sample game that its menu entry
plays, and the tools for making games: qvkgen, qvkcheck, qvkprobe and qvksim.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QVK_DEBIAN_RELEASE})
# A game and the tools that make games for it: Debian's policy for games puts its programs into
# /usr/games and its manual pages into section 6, and the package into the section games.
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# libavcodec and its kin are loaded at run time (src/media/libav.cc), so dpkg-shlibdeps cannot see
# them: the package names them itself, as their shlibs files give them for the versions built
# against.
set(QVK_LOADED_DEPENDS "")
foreach(library libavcodec libavformat libswscale libavutil)
  string(REGEX MATCH "^[0-9]+" major "${FFMPEG_${library}_VERSION}")
  set(depends "${library}${major}")
  file(GLOB shlibs "/var/lib/dpkg/info/${library}${major}*.shlibs")
  foreach(shlib ${shlibs})
    file(STRINGS "${shlib}" lines REGEX "^${library} ${major} ")
    foreach(line ${lines})
      string(REGEX REPLACE "^${library} ${major} " "" depends "${line}")
    endforeach()
  endforeach()
  list(APPEND QVK_LOADED_DEPENDS "${depends}")
endforeach()
list(JOIN QVK_LOADED_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_GENERATOR DEB)
include(CPack)
