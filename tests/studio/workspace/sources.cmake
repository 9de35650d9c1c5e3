find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
leaf_add_test_suite(test_studio_sources
  ${CMAKE_CURRENT_LIST_DIR}/sources/StudioTestApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sources/SourceDialogsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sources/SourceListLogicTest.cpp
)
leaf_link_studio(test_studio_sources sources)
target_link_libraries(test_studio_sources PRIVATE leaf_test_qt_app Qt6::Test)

# The Source Files workspace view, with the document and the program around it.
leaf_add_test_suite(test_studio_sources_view
  ${CMAKE_CURRENT_LIST_DIR}/sources/StudioTestApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sources/SrcFilesViewTest.cpp
)
leaf_link_studio(test_studio_sources_view sources_view)
target_link_libraries(test_studio_sources_view PRIVATE leaf_test_qt_app Qt6::Test)
set_target_properties(test_studio_sources_view PROPERTIES ENABLE_EXPORTS ON)
