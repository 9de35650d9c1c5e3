# The project document: the archive records, the project file of every version, paths and
# folders, metadata definitions, titles and anchors.
leaf_add_test_suite(test_studio_document
  ${CMAKE_CURRENT_LIST_DIR}/document/LeafcraftDocTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document/LinkFileDialogTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document/MetaDataDefinitionTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document/PathHelpersTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document/ProjectRecordsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document/TitleAndAnchorTest.cpp
)
leaf_link_studio(test_studio_document document)
target_link_libraries(test_studio_document PRIVATE leaf_test_qt_app)
