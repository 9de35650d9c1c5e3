#pragma once

// The class identifier under which FontEmbedder.so registers the component.

#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_FontEmbedder = leaf::MakeGuid("{3F8A6C21-94D7-4B0E-A5C3-6E1F27D84B90}");
