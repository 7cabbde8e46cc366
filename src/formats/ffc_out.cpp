#include "formats/ffc_out.h"

#include "formats/record_formats.h"

OFFCOut::OFFCOut(OutStream& stream, std::string_view key) : stream_(stream)
{
    FileFormat f = FormatFromKey(key);
    format_ = (f == ffUnknown) ? ffBinary : f;
}

void OFFCOut::Finish()
{
    FlushRecord();
    ending_ = true;
    FlushRecord();
    ending_ = false;
    // Buffered bytes reach the file only now; a sink that failed on any
    // format (binary included) must not pass for a complete save.
    if (!stream_.Flush())
        flags_ |= ffcWriteError;
}

void OFFCOut::FlushRecord()
{
    if (pendingCount_ == 0 && !ending_)
        return;
    recordLimit_ = pendingCount_;
    switch (format_) {
    case ffMotorola: WriteMotorolaRecord(*this); break;
    case ffIntel: WriteIntelRecord(*this); break;
    case ffAsciiHex: WriteAsciiHexRecord(*this); break;
    case ffTektronix: WriteTektronixRecord(*this); break;
    case ffSignetics: WriteSigneticsRecord(*this); break;
    case ffRca: WriteRcaRecord(*this); break;
    case ffPlainHex: WritePlainHexRecord(*this); break;
    case ffBinary:
    case ffUnknown: WriteBinaryRecord(*this); break;
    }
    address_ += pendingCount_;
    pendingCount_ = 0;
    recordLimit_ = kDefaultRecordLimit;
}
