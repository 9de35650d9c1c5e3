#pragma once

// The built-in default files of the guide items (five JPEG images and the "About this
// Title" page), among the program's HTML resources as "<guide type>.jpg" or ".htm".

namespace leaf {

// Adds them to the program's HTML resources; later calls do nothing.
void RegisterGuideDefaults();

}  // namespace leaf
