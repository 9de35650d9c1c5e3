# The table-of-contents tools: heading extraction and anchoring, the generator with its
# style files (".htt"), the Table of Contents wizard and the style editor.
add_library(leaf_studio_toc STATIC
  ${CMAKE_CURRENT_LIST_DIR}/HeadingAnchorer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TOCGenerator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TOCStyle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TOCStyleDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TOCStylePage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TOCStylePreviewWnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TOCWizard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TOCWizardPages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TOCWriter.cpp
)
target_link_libraries(leaf_studio_toc PUBLIC leaf_studio_common leaf_studio_document leaf_studio_word
                                             leaf_studio_app leaf_studio_browser)
target_link_libraries(leaf_studio INTERFACE leaf_studio_toc)

# The built-in styles go beside the program, in build/bin/TOCStyle.
file(GLOB LEAF_TOC_STYLES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/studio/TOCStyle/*.htt)
set(LEAF_TOC_STYLE_OUTPUTS)
foreach(style ${LEAF_TOC_STYLES})
  get_filename_component(style_name ${style} NAME)
  add_custom_command(OUTPUT ${LEAF_BIN_DIR}/TOCStyle/${style_name}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${LEAF_BIN_DIR}/TOCStyle
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${style} ${LEAF_BIN_DIR}/TOCStyle/${style_name}
                     DEPENDS ${style})
  list(APPEND LEAF_TOC_STYLE_OUTPUTS ${LEAF_BIN_DIR}/TOCStyle/${style_name})
endforeach()
add_custom_target(leaf_toc_styles ALL DEPENDS ${LEAF_TOC_STYLE_OUTPUTS})
add_dependencies(leaf_studio_toc leaf_toc_styles)
