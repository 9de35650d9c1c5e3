# Area tour: the tour tree editor over a project document.
leaf_add_test_suite(test_studio_tour
  ${CMAKE_CURRENT_LIST_DIR}/tour/TourTreeCtrlTest.cpp
)
leaf_link_studio(test_studio_tour tour document)
target_link_libraries(test_studio_tour PRIVATE leaf_test_qt_app)
