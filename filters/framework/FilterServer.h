#pragma once

// What the four exports of a filter module do (FilterExports.cpp forwards to these, so
// that every module behaves the same). None of them lets an exception escape.

#include "platform/base/Types.h"
#include "platform/com/Guid.h"

HRESULT FilterServerGetClassObject(REFCLSID clsid, REFIID riid, void** object);
HRESULT FilterServerCanUnloadNow();
HRESULT FilterServerRegister();
HRESULT FilterServerUnregister();
