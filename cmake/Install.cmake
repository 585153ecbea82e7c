# What `cmake --install` and the Debian package (scripts/package) hold: the programs, their
# manual pages, the bash completion, and for the viewer its desktop entry, icons, AppStream
# metadata and translations.
include(GNUInstallDirs)

set(PELTO_DEB_VERSION ${PELTO_VERSION_TEXT}-${PELTO_RELEASE})

# Directories the install creates are 0755 whatever the umask, as packages want them.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Installing (and packaging) builds only what it installs, not the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(PELTO_STAGED ${CMAKE_BINARY_DIR}/staged)
# pelto_gzip(<file> <var>): <var> is <file>.gz, compressed without a time stamp by the build.
function(pelto_gzip file var)
  add_custom_command(OUTPUT ${file}.gz
                     COMMAND gzip -9nf -k ${file}
                     DEPENDS ${file}
                     VERBATIM)
  set(${var} ${file}.gz PARENT_SCOPE)
endfunction()

# Everything installed; scripts/package builds it.
add_custom_target(pelto_installed)
add_dependencies(pelto_installed pelto-cli)
install(TARGETS pelto-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# pelto-cli's manual page and bash completion, written from their templates in src/cli/ and the
# table of the command line by a tool of our own.
add_executable(pelto_make_cli_docs tools/make_cli_docs.cpp)
target_link_libraries(pelto_make_cli_docs PRIVATE pelto_cli)
function(pelto_cli_doc kind template output)
  get_filename_component(folder ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                     COMMAND pelto_make_cli_docs ${kind} ${CMAKE_SOURCE_DIR}/${template} ${output}
                     DEPENDS pelto_make_cli_docs ${CMAKE_SOURCE_DIR}/${template}
                     VERBATIM)
endfunction()
set(PELTO_CLI_MAN_PAGE ${PELTO_STAGED}/man/pelto-cli.1)
set(PELTO_CLI_COMPLETION ${PELTO_STAGED}/completion/pelto-cli)
pelto_cli_doc(man src/cli/pelto-cli.1.in ${PELTO_CLI_MAN_PAGE})
pelto_cli_doc(completion src/cli/pelto-cli.bash.in ${PELTO_CLI_COMPLETION})

set(PELTO_MAN_PAGES ${PELTO_CLI_MAN_PAGE})
if(PELTO_BUILD_VIEWER)
  configure_file(src/ui/pelto.1 ${PELTO_STAGED}/man/pelto.1 @ONLY)
  list(APPEND PELTO_MAN_PAGES ${PELTO_STAGED}/man/pelto.1)
endif()
foreach(page ${PELTO_MAN_PAGES})
  pelto_gzip(${page} packed)
  list(APPEND PELTO_PACKED_MAN_PAGES ${packed})
  install(FILES ${packed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

install(FILES ${PELTO_CLI_COMPLETION}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
configure_file(packaging/changelog.Debian ${PELTO_STAGED}/doc/changelog.Debian @ONLY)
pelto_gzip(${PELTO_STAGED}/doc/changelog.Debian packed_changelog)
install(FILES ${packed_changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(PELTO_BUILD_VIEWER)
  add_dependencies(pelto_installed pelto)
  install(TARGETS pelto RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # The program's icon, drawn by our own code at build time.
  add_executable(pelto_make_icon tools/make_icon.cpp)
  target_link_libraries(pelto_make_icon PRIVATE pelto_resources pelto_codecs)
  foreach(size 32 64 128 256)
    set(icon ${PELTO_STAGED}/icons/${size}/pelto.png)
    add_custom_command(OUTPUT ${icon}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${PELTO_STAGED}/icons/${size}
                       COMMAND pelto_make_icon ${size} ${icon}
                       DEPENDS pelto_make_icon
                       VERBATIM)
    list(APPEND PELTO_ICONS ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(pelto_icons ALL DEPENDS ${PELTO_ICONS})

  install(FILES src/resources/pelto.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  set(PELTO_METAINFO ${PELTO_STAGED}/metainfo/io.github.pelto.Pelto.metainfo.xml)
  configure_file(src/resources/io.github.pelto.Pelto.metainfo.xml ${PELTO_METAINFO} @ONLY)
  install(FILES ${PELTO_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  add_dependencies(pelto_installed pelto_icons)
endif()

add_custom_target(pelto_packed_files ALL DEPENDS ${PELTO_PACKED_MAN_PAGES} ${packed_changelog}
                                                  ${PELTO_CLI_COMPLETION})
add_dependencies(pelto_installed pelto_packed_files)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelto)
set(CPACK_PACKAGE_VERSION ${PELTO_VERSION_TEXT})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${PELTO_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "PELTO developers <pelto@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Japanese font, which no library names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
# Qt's own dialog buttons in the window's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dress-up viewer for Wonderland ONLINE characters")
# CPack puts the summary before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "PELTO in Wonderland reads the data files of a local installation of the
online game Wonderland ONLINE, usually one run under Wine, and never talks
to the game's servers. It dresses any of the 15 characters in six slots,
recolours, turns and animates it, and saves it as an image, an animated
GIF, a favourite or a short text code.
.
The command line tool pelto-cli renders the same pictures without a window
and writes a small synthetic game installation to try the viewer on.")
include(CPack)
