#pragma once

// The option page of a filter object as the object sees it: a sub-object that lives as
// long as the object and offers the IPropertyPage interface. The page's QueryInterface,
// AddRef and Release forward to the owning object, so both faces are one COM identity;
// the object answers IID_IPropertyPage with GetPageInterface().

#include "platform/com/PropertyPage.h"

class CFilterPageFace {
public:
    virtual ~CFilterPageFace() = default;

    // The page's IPropertyPage interface pointer (not AddRef'ed).
    virtual IPropertyPage* GetPageInterface() = 0;
};
