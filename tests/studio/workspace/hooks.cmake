# The program's window hooks.
leaf_add_test_suite(test_studio_hooks
  ${CMAKE_CURRENT_LIST_DIR}/hooks/HooksTest.cpp
)
leaf_link_studio(test_studio_hooks hooks)
target_link_libraries(test_studio_hooks PRIVATE leaf_test_qt_app_offscreen)
