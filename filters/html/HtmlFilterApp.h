#pragma once

// The application object of markupintake: its class identifier and its class factory,
// which makes CHtmlFilter objects.

#include "filters/framework/FilterApp.h"

class CHtmlFilterApp : public CFilterApp {
public:
    CLSID GetCLSID() const override;
    // Its objects share nothing but the process-wide link-target cache, which locks.
    const char* GetThreadingModel() const override { return "Both"; }
    CFilterClassFactory* CreateClassFactory() override;
};
