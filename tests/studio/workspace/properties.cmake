find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
leaf_add_test_suite(test_studio_properties
  ${CMAKE_CURRENT_LIST_DIR}/sources/StudioTestApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/properties/MetadataDialogsTest.cpp
)
leaf_link_studio(test_studio_properties properties)
target_link_libraries(test_studio_properties PRIVATE leaf_test_qt_app Qt6::Test)

# The Properties workspace view, with the document and the program around it.
leaf_add_test_suite(test_studio_properties_view
  ${CMAKE_CURRENT_LIST_DIR}/sources/StudioTestApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/properties/PropertiesViewTest.cpp
)
leaf_link_studio(test_studio_properties_view properties_view)
target_link_libraries(test_studio_properties_view PRIVATE leaf_test_qt_app Qt6::Test)
set_target_properties(test_studio_properties_view PROPERTIES ENABLE_EXPORTS ON)
