#pragma once
// The record reader and writer of each format family. A reader parses one
// record from the converter's current source into its record fields (or sets
// flags); a writer writes the pending bytes as one record, or the end record
// while the converter is ending.

class OFFCIn;
class OFFCOut;

void ReadMotorolaRecord(OFFCIn& in);
void WriteMotorolaRecord(OFFCOut& out);

void ReadIntelRecord(OFFCIn& in);
void WriteIntelRecord(OFFCOut& out);

void ReadAsciiHexRecord(OFFCIn& in);
void WriteAsciiHexRecord(OFFCOut& out);

void ReadTektronixRecord(OFFCIn& in);
void WriteTektronixRecord(OFFCOut& out);

void ReadSigneticsRecord(OFFCIn& in);
void WriteSigneticsRecord(OFFCOut& out);

void ReadRcaRecord(OFFCIn& in);
void WriteRcaRecord(OFFCOut& out);

void ReadPlainHexRecord(OFFCIn& in);
void WritePlainHexRecord(OFFCOut& out);

void ReadBinaryRecord(OFFCIn& in);
void WriteBinaryRecord(OFFCOut& out);

void ReadTiTxtRecord(OFFCIn& in);
void WriteTiTxtRecord(OFFCOut& out);

// Written only: formats other tools take in.
void WriteCArrayRecord(OFFCOut& out);
void WriteVerilogRecord(OFFCOut& out);
void WriteMifRecord(OFFCOut& out);
