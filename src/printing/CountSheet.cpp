#include "printing/CountSheet.h"

#include "platform/PrinterObject.h"

namespace printing {

// Filled in by the page engines.
SheetResult PrintA4Full(prn::PrinterObject&, const SheetRequest&) { return {}; }
SheetResult PrintA4Simple(prn::PrinterObject&, const SheetRequest&) { return {}; }
SheetResult PrintHisago(prn::PrinterObject&, const SheetRequest&) { return {}; }

} // namespace printing
