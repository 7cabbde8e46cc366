// Tektronix and Signetics records.

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/record_formats.h"

// Not built yet: the trials fail honestly and nothing is written.
void ReadTektronixRecord(OFFCIn& in) { in.SetFlag(ffcFormatError | ffcEndOfData); }
void WriteTektronixRecord(OFFCOut& out) { out.SetFlag(ffcFormatError); }
void ReadSigneticsRecord(OFFCIn& in) { in.SetFlag(ffcFormatError | ffcEndOfData); }
void WriteSigneticsRecord(OFFCOut& out) { out.SetFlag(ffcFormatError); }
