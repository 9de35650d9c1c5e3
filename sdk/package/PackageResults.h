#pragma once

// Results of reading and writing a package file, beside the standard S_OK and
// E_UNEXPECTED (an inconsistent model, or no read yet).

#include "platform/com/HResult.h"

inline constexpr HRESULT PKG_E_NOGUID = static_cast<HRESULT>(0x800F0001u);      // no GUID for the identifier
inline constexpr HRESULT PKG_E_OPENFILE = static_cast<HRESULT>(0x800F0002u);    // file could not be opened
inline constexpr HRESULT PKG_E_CREATEFILE = static_cast<HRESULT>(0x800F0003u);  // file could not be created
inline constexpr HRESULT PKG_E_FILEIO = static_cast<HRESULT>(0x800F0004u);      // error while reading or writing
inline constexpr HRESULT PKG_E_INVALIDRECORD = static_cast<HRESULT>(0x800F0005u);  // a record the file cannot carry
