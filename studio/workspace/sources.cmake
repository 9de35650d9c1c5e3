# The source-file and project dialogs (the document and the main frame show some of
# them) with the Source Files workspace's rules, and the Source Files workspace view.
add_library(leaf_studio_sources STATIC
  ${CMAKE_CURRENT_LIST_DIR}/NewProjectDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImportPackageDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocateSourceDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SourceSortDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AddLocationDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SourceFilePropsDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SourceFileInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SourceListLogic.cpp
)
target_link_libraries(leaf_studio_sources PUBLIC leaf_studio_common)
target_link_libraries(leaf_studio INTERFACE leaf_studio_sources)

add_library(leaf_studio_sources_view STATIC
  ${CMAKE_CURRENT_LIST_DIR}/LeafcraftSrcFilesView.cpp
)
target_link_libraries(leaf_studio_sources_view PUBLIC leaf_studio_common leaf_studio_sources)
foreach(area document build app hooks)
  if(TARGET leaf_studio_${area})
    target_link_libraries(leaf_studio_sources_view PUBLIC leaf_studio_${area})
  endif()
endforeach()
target_link_libraries(leaf_studio INTERFACE leaf_studio_sources_view)
# The application's workspace list names the view class.
if(TARGET leaf_studio_app)
  target_link_libraries(leaf_studio_app PUBLIC leaf_studio_sources_view)
endif()
