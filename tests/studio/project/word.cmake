# The Word bridge and the Word sources of a project, driven against the Word stand-in
# (registered by each test).
leaf_add_test_suite(test_studio_word
  ${CMAKE_CURRENT_LIST_DIR}/word/WordBridgeTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/word/WordPropertyValueTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/word/WordSourcesTest.cpp
)
# The Word sources of a project, its contents wizard and its link dialog.
leaf_link_studio(test_studio_word word document toc)
target_link_libraries(test_studio_word PRIVATE leaf_word_test_support leaf_test_qt_app_offscreen)
# A module that stands in Word's place to watch the add-in's value while Word starts.
leaf_add_module(wordprobe ${CMAKE_CURRENT_LIST_DIR}/word/WordProbeModule.cpp)
target_link_libraries(wordprobe PRIVATE leaf_registry leaf_base)
add_dependencies(test_studio_word WordServer wordprobe)
