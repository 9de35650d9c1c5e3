# The Table of Contents workspace.
leaf_add_test_suite(test_studio_tocview
  ${CMAKE_SOURCE_DIR}/tests/studio/project/toc/TocTestEnvironment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tocview/ContentsViewTest.cpp
)
leaf_link_studio(test_studio_tocview tocview)
target_link_libraries(test_studio_tocview PRIVATE leaf_test_qt)
