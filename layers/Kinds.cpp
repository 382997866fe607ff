#include "layers/Kinds.h"

// The kinds' factories, registered with the control while the module loads. Defined
// here one after the other, so each kind's categories register in this order.

template <> const DBPipeCreator<DBPSPipe>::Registrar DBPipeCreator<DBPSPipe>::registrar{};
template <> const DBPointCreator<DBPSFTPoint>::Registrar DBPointCreator<DBPSFTPoint>::registrar{};
template <> const DBPointCreator<DBPSJXJPoint>::Registrar DBPointCreator<DBPSJXJPoint>::registrar{};
template <> const DBPointCreator<DBPSSTPoint>::Registrar DBPointCreator<DBPSSTPoint>::registrar{};
template <> const DBPointCreator<DBPSYBPoint>::Registrar DBPointCreator<DBPSYBPoint>::registrar{};

template <> const DBPipeCreator<DBYSPipe>::Registrar DBPipeCreator<DBYSPipe>::registrar{};
template <> const DBPointCreator<DBYSSTPoint>::Registrar DBPointCreator<DBYSSTPoint>::registrar{};
template <> const DBPointCreator<DBYSWTPoint>::Registrar DBPointCreator<DBYSWTPoint>::registrar{};
template <> const DBPointCreator<DBYSYBPoint>::Registrar DBPointCreator<DBYSYBPoint>::registrar{};
template <> const DBPointCreator<DBYSYSJPoint>::Registrar DBPointCreator<DBYSYSJPoint>::registrar{};

template <> const DBPipeCreator<DBWSPipe>::Registrar DBPipeCreator<DBWSPipe>::registrar{};
template <> const DBPointCreator<DBWSWSJXJPoint>::Registrar DBPointCreator<DBWSWSJXJPoint>::registrar{};
template <> const DBPointCreator<DBWSWBPoint>::Registrar DBPointCreator<DBWSWBPoint>::registrar{};
template <> const DBPointCreator<DBWSJXJPoint>::Registrar DBPointCreator<DBWSJXJPoint>::registrar{};
template <> const DBPointCreator<DBWSSTPoint>::Registrar DBPointCreator<DBWSSTPoint>::registrar{};
template <> const DBPointCreator<DBWSWTPoint>::Registrar DBPointCreator<DBWSWTPoint>::registrar{};

template <> const DBPipeCreator<DBSYPipe>::Registrar DBPipeCreator<DBSYPipe>::registrar{};
template <> const DBPointCreator<DBSYFMPoint>::Registrar DBPointCreator<DBSYFMPoint>::registrar{};
template <> const DBPointCreator<DBSYSTPoint>::Registrar DBPointCreator<DBSYSTPoint>::registrar{};
template <> const DBPointCreator<DBSYWTPoint>::Registrar DBPointCreator<DBSYWTPoint>::registrar{};

template <> const DBPipeCreator<DBJSPipe>::Registrar DBPipeCreator<DBJSPipe>::registrar{};
template <> const DBPointCreator<DBJSFMJPoint>::Registrar DBPointCreator<DBJSFMJPoint>::registrar{};
template <> const DBPointCreator<DBJSFMPoint>::Registrar DBPointCreator<DBJSFMPoint>::registrar{};
template <> const DBPointCreator<DBJSJXJPoint>::Registrar DBPointCreator<DBJSJXJPoint>::registrar{};
template <> const DBPointCreator<DBJSPWFPoint>::Registrar DBPointCreator<DBJSPWFPoint>::registrar{};
template <> const DBPointCreator<DBJSSBPoint>::Registrar DBPointCreator<DBJSSBPoint>::registrar{};
template <> const DBPointCreator<DBJSXFSPoint>::Registrar DBPointCreator<DBJSXFSPoint>::registrar{};
template <> const DBPointCreator<DBJSFTPoint>::Registrar DBPointCreator<DBJSFTPoint>::registrar{};
template <> const DBPointCreator<DBJSSTPoint>::Registrar DBPointCreator<DBJSSTPoint>::registrar{};
template <> const DBPointCreator<DBJSWTPoint>::Registrar DBPointCreator<DBJSWTPoint>::registrar{};

template <> const DBPipeCreator<DBRSPipe>::Registrar DBPipeCreator<DBRSPipe>::registrar{};
template <> const DBPointCreator<DBRSJXJPoint>::Registrar DBPointCreator<DBRSJXJPoint>::registrar{};
template <> const DBPointCreator<DBRSSTPoint>::Registrar DBPointCreator<DBRSSTPoint>::registrar{};
template <> const DBPointCreator<DBRSWTPoint>::Registrar DBPointCreator<DBRSWTPoint>::registrar{};

template <> const DBPipeCreator<DBTRPipe>::Registrar DBPipeCreator<DBTRPipe>::registrar{};
template <> const DBPointCreator<DBTRFMJPoint>::Registrar DBPointCreator<DBTRFMJPoint>::registrar{};
template <> const DBPointCreator<DBTRSTPoint>::Registrar DBPointCreator<DBTRSTPoint>::registrar{};
template <> const DBPointCreator<DBTRTYXPoint>::Registrar DBPointCreator<DBTRTYXPoint>::registrar{};
template <> const DBPointCreator<DBTRWTPoint>::Registrar DBPointCreator<DBTRWTPoint>::registrar{};

template <> const DBPipeCreator<DBYGPipe>::Registrar DBPipeCreator<DBYGPipe>::registrar{};
template <> const DBPointCreator<DBYGSTPoint>::Registrar DBPointCreator<DBYGSTPoint>::registrar{};
template <> const DBPointCreator<DBYGWTPoint>::Registrar DBPointCreator<DBYGWTPoint>::registrar{};

template <> const DBPipeCreator<DBQGPipe>::Registrar DBPipeCreator<DBQGPipe>::registrar{};
template <> const DBPointCreator<DBQGSTPoint>::Registrar DBPointCreator<DBQGSTPoint>::registrar{};
template <> const DBPointCreator<DBQGWTPoint>::Registrar DBPointCreator<DBQGWTPoint>::registrar{};

template <> const DBPipeCreator<DBGDPipe>::Registrar DBPipeCreator<DBGDPipe>::registrar{};
template <> const DBPointCreator<DBGDJXJPoint>::Registrar DBPointCreator<DBGDJXJPoint>::registrar{};
template <> const DBPointCreator<DBGDKZGPoint>::Registrar DBPointCreator<DBGDKZGPoint>::registrar{};
template <> const DBPointCreator<DBGDSGPoint>::Registrar DBPointCreator<DBGDSGPoint>::registrar{};

template <> const DBPipeCreator<DBLDPipe>::Registrar DBPipeCreator<DBLDPipe>::registrar{};
template <> const DBPointCreator<DBLDLDPoint>::Registrar DBPointCreator<DBLDLDPoint>::registrar{};
template <> const DBPointCreator<DBLDJXJPoint>::Registrar DBPointCreator<DBLDJXJPoint>::registrar{};
template <> const DBPointCreator<DBLDSGPoint>::Registrar DBPointCreator<DBLDSGPoint>::registrar{};

template <> const DBPipeCreator<DBDXPipe>::Registrar DBPipeCreator<DBDXPipe>::registrar{};
template <> const DBPointCreator<DBDXJXJPoint>::Registrar DBPointCreator<DBDXJXJPoint>::registrar{};
template <> const DBPointCreator<DBDXJXXPoint>::Registrar DBPointCreator<DBDXJXXPoint>::registrar{};
template <> const DBPointCreator<DBDXRKPoint>::Registrar DBPointCreator<DBDXRKPoint>::registrar{};
template <> const DBPointCreator<DBDXSGPoint>::Registrar DBPointCreator<DBDXSGPoint>::registrar{};
template <> const DBPointCreator<DBDXSKPoint>::Registrar DBPointCreator<DBDXSKPoint>::registrar{};

template <> const DBPipeCreator<DBDSPipe>::Registrar DBPipeCreator<DBDSPipe>::registrar{};
template <> const DBPointCreator<DBDSJXJPoint>::Registrar DBPointCreator<DBDSJXJPoint>::registrar{};
template <> const DBPointCreator<DBDSJXXPoint>::Registrar DBPointCreator<DBDSJXXPoint>::registrar{};
template <> const DBPointCreator<DBDSRKPoint>::Registrar DBPointCreator<DBDSRKPoint>::registrar{};
template <> const DBPointCreator<DBDSSGPoint>::Registrar DBPointCreator<DBDSSGPoint>::registrar{};
template <> const DBPointCreator<DBDSSKPoint>::Registrar DBPointCreator<DBDSSKPoint>::registrar{};

template <> const DBPipeCreator<DBYDPipe>::Registrar DBPipeCreator<DBYDPipe>::registrar{};
template <> const DBPointCreator<DBYDJXJPoint>::Registrar DBPointCreator<DBYDJXJPoint>::registrar{};
template <> const DBPointCreator<DBYDRKPoint>::Registrar DBPointCreator<DBYDRKPoint>::registrar{};
template <> const DBPointCreator<DBYDSKPoint>::Registrar DBPointCreator<DBYDSKPoint>::registrar{};

template <> const DBPipeCreator<DBJYPipe>::Registrar DBPipeCreator<DBJYPipe>::registrar{};
template <> const DBPointCreator<DBJYJXJPoint>::Registrar DBPointCreator<DBJYJXJPoint>::registrar{};
template <> const DBPointCreator<DBJYJXXPoint>::Registrar DBPointCreator<DBJYJXXPoint>::registrar{};
template <> const DBPointCreator<DBJYRKPoint>::Registrar DBPointCreator<DBJYRKPoint>::registrar{};
template <> const DBPointCreator<DBJYSGPoint>::Registrar DBPointCreator<DBJYSGPoint>::registrar{};
template <> const DBPointCreator<DBJYSKPoint>::Registrar DBPointCreator<DBJYSKPoint>::registrar{};
