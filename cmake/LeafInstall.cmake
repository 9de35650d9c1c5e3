# `cmake --install`: the programs, the modules and the program's files go to
# <prefix>/lib/leafcraft, where the build control finds the e-book compiler beside itself
# and the program its metadata definition file; <prefix>/bin links to the programs; the
# desktop entry, the project file type and the icons go to <prefix>/share. Registering the
# modules is the installer's step after this (the Makefile's `install` runs regsvr).
set(LEAF_INSTALL_LIBDIR lib/leafcraft)

set(leaf_installed_programs leafstudio build-book filter-options)
set(leaf_installed_targets ${leaf_installed_programs} regsvr
    leafsdk markupintake pictureintake plainintake wordintake LITGen FontEmbedder WordServer)
foreach(target ${leaf_installed_targets})
  if(TARGET ${target})
    install(TARGETS ${target}
            RUNTIME DESTINATION ${LEAF_INSTALL_LIBDIR}
            LIBRARY DESTINATION ${LEAF_INSTALL_LIBDIR})
  endif()
endforeach()
if(TARGET leafstudio)
  install(FILES ${CMAKE_SOURCE_DIR}/studio/workspace/leafstudio.dat DESTINATION ${LEAF_INSTALL_LIBDIR})
endif()
# The reading program's stand-in lies in a folder of its own, which its registration names.
if(TARGET reader_standin)
  install(TARGETS reader_standin RUNTIME DESTINATION ${LEAF_INSTALL_LIBDIR}/reader)
endif()

foreach(program ${leaf_installed_programs})
  if(TARGET ${program})
    install(CODE "
      set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
      file(MAKE_DIRECTORY \"\${bin}\")
      file(REMOVE \"\${bin}/${program}\")
      file(CREATE_LINK \"../${LEAF_INSTALL_LIBDIR}/${program}\" \"\${bin}/${program}\" SYMBOLIC)
      message(STATUS \"Linking: \${bin}/${program}\")")
  endif()
endforeach()

set(leaf_desktop ${CMAKE_SOURCE_DIR}/resources/desktop)
install(FILES ${leaf_desktop}/leafcraft.xml DESTINATION share/mime/packages)
install(FILES ${leaf_desktop}/leafstudio.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${leaf_desktop}/application-x-leafcraft-project.svg DESTINATION share/icons/hicolor/scalable/mimetypes)
# The desktop entry, written by cmake/WriteDesktopEntry.cmake.
if(TARGET leafstudio)
  install(CODE "set(LEAF_DESKTOP_TEMPLATE \"${leaf_desktop}/leafstudio.desktop.in\")
                set(LEAF_INSTALLED_PROGRAM \"${LEAF_INSTALL_LIBDIR}/leafstudio\")")
  install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/WriteDesktopEntry.cmake)
endif()
