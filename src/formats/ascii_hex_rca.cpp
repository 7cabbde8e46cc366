// ASCII HEX and RCA development formats.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/record_formats.h"

// Not built yet: the trials fail honestly and nothing is written.
void ReadAsciiHexRecord(OFFCIn& in) { in.SetFlag(ffcFormatError | ffcEndOfData); }
void WriteAsciiHexRecord(OFFCOut& out) { out.SetFlag(ffcFormatError); }
void ReadRcaRecord(OFFCIn& in) { in.SetFlag(ffcFormatError | ffcEndOfData); }
void WriteRcaRecord(OFFCOut& out) { out.SetFlag(ffcFormatError); }
