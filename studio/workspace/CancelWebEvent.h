#pragma once

// CCancelWebEvent: an automation object whose one member "ReturnFalse" (dispatch id 1,
// also the default member, dispatch id 0) answers FALSE. Put into a document's event
// property, it cancels that event. It lives by reference counting: Create gives the first
// reference, and the object goes with the last release. While one exists the program's
// COM server stays locked.

#include "platform/com/DispatchTable.h"
#include "platform/com/Unknown.h"
#include "platform/ui/CmdTarget.h"

class CCancelWebEvent : public CCmdTarget {
public:
    // A new object; the IDispatch carries the creator's one reference.
    static leaf::ComPtr<IDispatch> Create();
    ~CCancelWebEvent() override;

    static const leaf::DispatchTable<CCancelWebEvent>& GetDispatchTable();
    leaf::Variant ReturnFalse(const leaf::DispatchArguments&);

    // The number of objects alive (for checks that none is leaked).
    static int LiveCount();

private:
    CCancelWebEvent();
    friend class CancelWebEventObject;
};
