#pragma once

// Identity and resource ids of the Word filter module wordintake.

#include "platform/base/Types.h"
#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_WordFilter = leaf::MakeGuid("{B3C97BE0-9917-11D3-A7CB-00E02911C5ED}");

// wordintake keeps its registry key templates in strings 2010 and 2011.
inline constexpr UINT IDS_WORD_FILTER_KEY_TEMPLATE = 2010;
// "Word reported the following error when attempting to save ... as an HTML file:\n%s"
inline constexpr UINT IDS_WORD_SAVE_FAILED = 2015;
// "Could not find the intermediate .html file corresponding to the Word document file \"%s\"..."
inline constexpr UINT IDS_WORD_NO_INTERMEDIATE = 2016;

// "No temporary folder could be made for the HTML page of the Word document in \"%s\": %s."
// with the temporary folder and why: the system's reason, or string 2018 when every
// name is taken.
inline constexpr UINT IDS_WORD_NO_TEMP_FOLDER = 2017;
inline constexpr UINT IDS_WORD_TEMP_NAMES_TAKEN = 2018;

// Prepare's own failure: no free intermediate file name.
inline constexpr HRESULT kNoIntermediateName = static_cast<HRESULT>(0x80040214);
