#pragma once

// The application object of markupintake: its class identifier and its class factory,
// which makes CHtmlFilter objects.

#include "filters/framework/FilterApp.h"

class CHtmlFilterApp : public CFilterApp {
public:
    CLSID GetCLSID() const override;
    CFilterClassFactory* CreateClassFactory() override;
};
