# Area browser: hosting the web browser (CWebCtrl, CHtmlDocument, CCancelWebEvent, the
# program's control site) and the previews, with the program's built-in pages.
set(leaf_browser_pages
  StudioPageBlank BLANK.HTM
  StudioPageNoPreview NOPREVIEW.HTM
  StudioPageReaderDefault READERDEFAULT.CSS
  StudioPageReaderDefaultToc READERDEFAULT-TOC.CSS)
set(leaf_browser_page_sources)
while(leaf_browser_pages)
  list(POP_FRONT leaf_browser_pages function file)
  set(input ${CMAKE_SOURCE_DIR}/resources/studio/browser/${file})
  set(output ${CMAKE_CURRENT_BINARY_DIR}/browser_${function}.cpp)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DFUNCTION=${function}
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedTextFile.cmake
    DEPENDS ${input} ${CMAKE_SOURCE_DIR}/cmake/EmbedTextFile.cmake
    VERBATIM)
  list(APPEND leaf_browser_page_sources ${output})
endwhile()

add_library(leaf_studio_browser STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CancelWebEvent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DocHostSite.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HtmlDocument.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StudioWebPages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebCtrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebPreview.cpp
  ${leaf_browser_page_sources})
target_link_libraries(leaf_studio_browser PUBLIC leaf_studio_common)
target_link_libraries(leaf_studio INTERFACE leaf_studio_browser)
