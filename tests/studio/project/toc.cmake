# Heading extraction and anchoring, style files, the generator, the wizard and the style
# editor.
leaf_add_test_suite(test_studio_toc
  ${CMAKE_CURRENT_LIST_DIR}/toc/TocTestEnvironment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/HeadingAnchorerTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/HeadingAnchorerCopyTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/TOCGeneratorTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/TOCStyleDlgTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/TOCStyleTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/TOCWizardTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/TOCWriterTest.cpp
)
leaf_link_studio(test_studio_toc toc)
target_link_libraries(test_studio_toc PRIVATE leaf_test_qt)
