// The one application object of markupintake.so.

#include "filters/html/HtmlFilterApp.h"

namespace {

CHtmlFilterApp theApp;

}  // namespace
