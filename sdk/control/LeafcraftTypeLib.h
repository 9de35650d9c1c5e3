#pragma once

// The type library "LeafcraftTypeLib" of leafsdk: the flag and error enumerations, the
// control's dispatch and event interfaces, the string collection's interface and the
// coclass. The dispatch tables of the control and the collection bind to the interface
// descriptions held here, so what a client reads from the registered library and what
// Invoke accepts are one and the same.

#include "platform/com/TypeLib.h"

const leaf::TypeLibDescription& LeafcraftTypeLibrary();
const leaf::DispInterfaceDescription& LeafcraftSDKInterface();
const leaf::DispInterfaceDescription& LeafcraftSDKEventsInterface();
const leaf::DispInterfaceDescription& StringCollectionInterface();
