# The project document with the records of the project file, path and folder helpers,
# the metadata definitions, the scanners that read titles and anchors of sources and the
# link-target dialog.
# The document asks the Word bridge for titles, the locate-source-folder dialog (sources)
# and the warning dialog (app).
add_library(leaf_studio_document STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AnchorCollector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ApplicationLists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GuideTypeDefinition.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LCCoverPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LCMarketing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LCMetaData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LCSourceFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LCTour.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LCTourSite.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LeafcraftDoc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkFileDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarketingDefinition.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MetaDataDefinition.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PathHelpers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrivateProfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProjectPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReaderFolders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringArchive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleExtractor.cpp
)
target_link_libraries(leaf_studio_document PUBLIC leaf_studio_common leaf_studio_word leaf_studio_sources
                                                  leaf_studio_app)
target_link_libraries(leaf_studio INTERFACE leaf_studio_document)
