// The one translation unit that defines the GUID constants widl declares
// (IID_IBramoltCOM, CLSID_BramoltCOM, CLSID_BramoltCOMLong, LIBID_Bramolt).
#include <initguid.h>

#include "Bramolt_h.h"
