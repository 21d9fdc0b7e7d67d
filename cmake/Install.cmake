# `cmake --install` into the usual layout under any prefix, and the Debian package (CPack DEB).
#   bin/Lexora, bin/Glosix, bin/lexbook
#   share/lexora/       read-only data a new program folder is seeded from (see program_folder.h)
#   share/applications, share/metainfo, share/icons/hicolor, share/man/man1
# The programs find share/lexora relative to their own folder, so any prefix works unchanged.
include(GNUInstallDirs)

set(LEXORA_HOMEPAGE "https://lexora.example.org" CACHE STRING "The home page the metainfo names")
set(LEXORA_DICT_DIR "${CMAKE_BINARY_DIR}/data/Dict" CACHE PATH
    "The dictionary folder to install (the sample one by default; the ECDICT one for a release)")
set(LEXORA_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/data/desktop)
set(LEXORA_SHARE ${CMAKE_INSTALL_DATADIR}/lexora)

install(TARGETS Lexora lexbook RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET Glosix)
  install(TARGETS Glosix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Read-only data: the Readme, the note opened on an old Book index, the starting Config.INI and
# sample Book, the dictionaries.
install(FILES ${CMAKE_SOURCE_DIR}/data/Readme.txt ${CMAKE_SOURCE_DIR}/data/ReportError.txt DESTINATION ${LEXORA_SHARE})
install(FILES ${CMAKE_SOURCE_DIR}/data/Config.INI.installed DESTINATION ${LEXORA_SHARE} RENAME Config.INI)
install(FILES ${CMAKE_BINARY_DIR}/data/Book/English.idx ${CMAKE_BINARY_DIR}/data/Book/English.txt
        DESTINATION ${LEXORA_SHARE}/Book)
install(FILES ${LEXORA_DICT_DIR}/Dict.idx ${LEXORA_DICT_DIR}/Dict.dic
              ${LEXORA_DICT_DIR}/21ct.idx ${LEXORA_DICT_DIR}/21ct.dic
        DESTINATION ${LEXORA_SHARE}/Dict)

# Desktop integration: menu entries, metainfo, icons at every size the launchers ask for.
configure_file(${LEXORA_DESKTOP_DIR}/org.lexora.Lexora.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/desktop/org.lexora.Lexora.metainfo.xml @ONLY)
install(FILES ${LEXORA_DESKTOP_DIR}/org.lexora.Lexora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/desktop/org.lexora.Lexora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
set(LEXORA_DESKTOP_IDS org.lexora.Lexora)
if(TARGET Glosix)
  install(FILES ${LEXORA_DESKTOP_DIR}/org.lexora.Glosix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  list(APPEND LEXORA_DESKTOP_IDS org.lexora.Glosix)
endif()
foreach(id ${LEXORA_DESKTOP_IDS})
  foreach(size 16 32 48 64 128 256)
    install(FILES ${LEXORA_DESKTOP_DIR}/icons/${id}-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${id}.png)
  endforeach()
  install(FILES ${LEXORA_DESKTOP_DIR}/icons/${id}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endforeach()

# The manual page of lexbook, compressed as Debian keeps them (gzip -n: no name or time inside).
find_program(LEXORA_GZIP gzip)
set(_man ${CMAKE_SOURCE_DIR}/tools/lexbook/lexbook.1)
if(LEXORA_GZIP)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/lexbook.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${LEXORA_GZIP} -9 -n -c ${_man} > ${CMAKE_BINARY_DIR}/man/lexbook.1.gz
    DEPENDS ${_man}
    COMMENT "Compressing the lexbook manual page")
  add_custom_target(lexbook_man ALL DEPENDS ${CMAKE_BINARY_DIR}/man/lexbook.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/man/lexbook.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  install(FILES ${_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The Debian package: dependencies computed from the binaries (dpkg-shlibdeps), plus what they
# load at run time without linking it: a CJK font for the Chinese texts, Qt's own Chinese texts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lexora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Lexora developers")
set(CPACK_PACKAGE_CONTACT "The Lexora developers <lexora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vocabulary notebook for Chinese-speaking learners of English")
set(CPACK_PACKAGE_DESCRIPTION
    "Lexora keeps the words a learner studies in word books, hides words or explanations for\n"
    "self-testing, speaks words, looks them up and drills them in four practice modes. Glosix is its\n"
    "companion dictionary window; lexbook works on the same files from the command line.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${LEXORA_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libhunspell, libflite1 and libespeak-ng1 (with its voices' data) come in through dpkg-shlibdeps;
# what they read is data no binary names: the English words of the spelling grade (both national
# dictionaries) and the hyphenation patterns of its hints. Both accents' IPA is compiled into the
# dictionary at build time: the CMU dictionary is not needed at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei, qt6-translations-l10n, hunspell-en-us, hunspell-en-gb, hyphen-en-us")
# WordNet's files give the English senses, the examples and 填空; without them those parts stay away.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, wordnet-base")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
