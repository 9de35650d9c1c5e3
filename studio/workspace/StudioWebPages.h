#pragma once

// The program's built-in pages for its previews, served at "res://<program>/<NAME>":
// BLANK.HTM, NOPREVIEW.HTM, READERDEFAULT.CSS and READERDEFAULT-TOC.CSS. Registered once,
// the first time a browser of the program is made.

void RegisterStudioWebPages();
