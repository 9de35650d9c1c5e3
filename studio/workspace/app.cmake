# The application object, the main frame, the base of the workspace views with the icon
# column, the Cover Page and Navigation workspaces, the suppressible warning dialog, and
# the program leafstudio itself.
# The desktop's description of the project file type and of the program (resources/desktop),
# which the start-up registers as `make install` installs them.
set(leaf_desktop_sources)
foreach(pair "DesktopEntryTemplate;leafstudio.desktop.in" "ProjectMimeInfo;leafcraft.xml")
  list(GET pair 0 function)
  list(GET pair 1 file)
  set(input ${CMAKE_SOURCE_DIR}/resources/desktop/${file})
  set(output ${CMAKE_CURRENT_BINARY_DIR}/desktop_${function}.cpp)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DFUNCTION=${function}
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedTextFile.cmake
    DEPENDS ${input} ${CMAKE_SOURCE_DIR}/cmake/EmbedTextFile.cmake
    VERBATIM)
  list(APPEND leaf_desktop_sources ${output})
endforeach()

add_library(leaf_studio_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AppConnections.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppProfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutoSaveLock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CloseOnSignal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LeafcraftApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LeafcraftBaseView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LeafcraftCoverPageView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LeafcraftIconView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LeafcraftStructNavView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StudioBitmaps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WarningDlg.cpp
  ${leaf_desktop_sources}
)
target_link_libraries(leaf_studio_app PUBLIC leaf_studio_common leaf_studio_document leaf_studio_build
                                             leaf_studio_sources leaf_studio_sources_view
                                             leaf_studio_properties leaf_studio_properties_view
                                             leaf_studio_tocview leaf_studio_about leaf_studio_fonts
                                             leaf_studio_hooks leaf_studio_tour leaf_studio_browser)
target_link_libraries(leaf_studio INTERFACE leaf_studio_app)

add_executable(leafstudio ${CMAKE_CURRENT_LIST_DIR}/LeafcraftMain.cpp)
leaf_link_studio(leafstudio)
set_target_properties(leafstudio PROPERTIES ENABLE_EXPORTS ON)
# The metadata definition file lives beside the program.
add_custom_command(TARGET leafstudio POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_LIST_DIR}/leafstudio.dat
          $<TARGET_FILE_DIR:leafstudio>/leafstudio.dat
  VERBATIM)
