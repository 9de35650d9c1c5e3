# Heading extraction and anchoring, style files, the generator, the wizard and the style
# editor.
leaf_add_test_suite(test_studio_toc
  ${CMAKE_CURRENT_LIST_DIR}/toc/QtTestEnvironment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/HeadingAnchorerTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/TOCGeneratorTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/TOCStyleDlgTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/TOCStyleTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/TOCWizardTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toc/TOCWriterTest.cpp
)
leaf_link_studio(test_studio_toc toc)
