// Motorola S-records.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/record_formats.h"

// Not built yet: the trial fails honestly and nothing is written.
void ReadMotorolaRecord(OFFCIn& in) { in.SetFlag(ffcFormatError | ffcEndOfData); }
void WriteMotorolaRecord(OFFCOut& out) { out.SetFlag(ffcFormatError); }
