# The splash, Quick Start and About windows.
leaf_add_test_suite(test_studio_about
  ${CMAKE_CURRENT_LIST_DIR}/about/AboutDlgTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about/SplashWndTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about/StartupDlgTest.cpp
)
leaf_link_studio(test_studio_about about)
target_link_libraries(test_studio_about PRIVATE leaf_test_qt_app_offscreen)
# The About box lists the filter modules, which the tests register from build/bin.
add_dependencies(test_studio_about markupintake wordintake regsvr)
