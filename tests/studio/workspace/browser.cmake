# Area browser: the browser hosting and the previews.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
leaf_add_test_suite(test_studio_browser
  ${CMAKE_CURRENT_LIST_DIR}/browser/BrowserHostingTest.cpp
)
leaf_link_studio(test_studio_browser browser)
target_link_libraries(test_studio_browser PRIVATE leaf_test_qt_app Qt6::Test)
