# What `make install`, `make package` (a Debian package) and
# `make windows-package` (a zip) hold. Expects TOOLS, SHEETS and, from
# man/, MAN_PAGES_1 and MAN_PAGES_7 (the gzipped pages) or REFERENCE_TEXT
# (the pages as Windows text).
set(CPACK_PACKAGE_NAME assettools)
set(CPACK_PACKAGE_VERSION 0.90)
set(CPACK_PACKAGE_VENDOR "Asset tools maintainers")
set(CPACK_PACKAGE_CONTACT "Asset tools maintainers <assettools@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small command-line programs for preparing game assets")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${PROJECT_SOURCE_DIR}/packaging/about.txt)

# The samples the manual pages' examples run on, one folder a program group.
file(GLOB SAMPLE_FOLDERS RELATIVE ${PROJECT_SOURCE_DIR}/samples ${PROJECT_SOURCE_DIR}/samples/*)
set(SAMPLE_GROUPS)
foreach(folder IN LISTS SAMPLE_FOLDERS)
  file(GLOB samples ${PROJECT_SOURCE_DIR}/samples/${folder}/*.bmp ${PROJECT_SOURCE_DIR}/samples/${folder}/*.wav
       ${PROJECT_SOURCE_DIR}/samples/${folder}/*.txt)
  if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/samples/${folder} AND samples)
    list(APPEND SAMPLE_GROUPS ${folder})
    set(SAMPLES_${folder} ${samples})
  endif()
endforeach()

if(WIN32)
  # One folder with the programs, AlertPane.exe beside them (stampmany.exe
  # looks in its own folder first), the glyph sheets, the samples, the
  # read-me and the reference, both with Windows line ends.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-windows-x86_64)
  configure_file(packaging/README-windows.txt README.txt @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS ${TOOLS} AlertPane RUNTIME DESTINATION .)
  install(FILES ${SHEETS} ${CMAKE_BINARY_DIR}/README.txt ${REFERENCE_TEXT} DESTINATION .)
  foreach(folder IN LISTS SAMPLE_GROUPS)
    install(FILES ${SAMPLES_${folder}} DESTINATION samples/${folder})
  endforeach()
  include(CPack)
  return()
endif()

include(GNUInstallDirs)
# stampmany finds the stand-in AlertPane at ../libexec/assettools/ from its
# own folder, so these two stay as they are whatever GNUInstallDirs says.
set(PROGRAM_DIR bin)
set(ALERTPANE_DIR libexec/assettools)
set(EXAMPLES_DIR ${CMAKE_INSTALL_DOCDIR}/examples)

# The first install step notes which of the folders below do not exist yet,
# the last one the files installed, for `make uninstall` to remove
# (cmake/Uninstall.cmake). They keep their own list, as the package's
# staging install overwrites install_manifest.txt.
install(SCRIPT ${CMAKE_BINARY_DIR}/note_created_folders.cmake)

install(TARGETS ${TOOLS} RUNTIME DESTINATION ${PROGRAM_DIR})
install(TARGETS AlertPane RUNTIME DESTINATION ${ALERTPANE_DIR})
install(FILES ${SHEETS} DESTINATION ${CMAKE_INSTALL_DATADIR}/assettools)
install(FILES ${MAN_PAGES_1} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${MAN_PAGES_7} DESTINATION ${CMAKE_INSTALL_MANDIR}/man7)

# The copyright file and the changelog where Debian keeps them (the
# changelog gzipped as Debian expects); the samples.
set(CHANGELOG_GZ ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog
  COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(changelog ALL DEPENDS ${CHANGELOG_GZ})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CHANGELOG_GZ} DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(CREATED_FOLDERS ${PROGRAM_DIR} ${ALERTPANE_DIR} ${CMAKE_INSTALL_DATADIR}/assettools
    ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_MANDIR}/man7 ${EXAMPLES_DIR})
foreach(folder IN LISTS SAMPLE_GROUPS)
  install(FILES ${SAMPLES_${folder}} DESTINATION ${EXAMPLES_DIR}/${folder})
  list(APPEND CREATED_FOLDERS ${EXAMPLES_DIR}/${folder})
endforeach()

# A stripped install (the package's) also drops the compiler's notes in
# the .comment section, as Debian's own packages do.
set(programs)
foreach(program IN LISTS TOOLS)
  list(APPEND programs ${PROGRAM_DIR}/${program})
endforeach()
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program ${programs} ${ALERTPANE_DIR}/AlertPane)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${program}\")
    endforeach()
  endif()
  string(FIND \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\" \"${CMAKE_BINARY_DIR}/_CPack_Packages/\" staging)
  if(NOT staging EQUAL 0)
    list(JOIN CMAKE_INSTALL_MANIFEST_FILES \"\\n\" files)
    file(WRITE \"${CMAKE_BINARY_DIR}/install_files.txt\" \"\${files}\\n\")
  endif()")

# Every folder above and the folders it is in, parents first.
set(folders)
foreach(folder IN LISTS CREATED_FOLDERS)
  set(path "")
  string(REPLACE "/" ";" parts ${folder})
  foreach(part IN LISTS parts)
    string(APPEND path "${part}")
    list(APPEND folders "${path}")
    string(APPEND path "/")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders)
file(WRITE ${CMAKE_BINARY_DIR}/note_created_folders.cmake "\
# Generated by cmake/Packaging.cmake. Notes in install_created_folders.txt
# the folders of this install (the prefix too) that do not exist yet (or that the install
# before into the same place created). Not for the package's staging install.
set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
string(FIND \"\${root}\" \"${CMAKE_BINARY_DIR}/_CPack_Packages/\" staging)
if(staging EQUAL 0)
  return()
endif()
set(record \"${CMAKE_BINARY_DIR}/install_created_folders.txt\")
set(noted)
if(EXISTS \"\${record}\")
  file(STRINGS \"\${record}\" noted)
endif()
set(created)
list(FIND noted \"\${root}\" before)
if(NOT IS_DIRECTORY \"\${root}\" OR before GREATER -1)
  set(created \"\${root}\\n\")
endif()
foreach(folder ${folders})
  set(path \"\${root}/\${folder}\")
  list(FIND noted \"\${path}\" before)
  if(NOT IS_DIRECTORY \"\${path}\" OR before GREATER -1)
    string(APPEND created \"\${path}\\n\")
  endif()
endforeach()
file(WRITE \"\${record}\" \"\${created}\")
")

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/Uninstall.cmake
  COMMENT "Removing what the last install put")

# make package: a Debian package of the same files, under /usr.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
