#include "app/save_questions.h"

#include "app/doc_templates.h"
#include "document/document_host.h"

std::string SaveFormatName(FileFormat format)
{
    switch (format) {
    case ffPlainHex: return "plain hex image";
    case ffBinary:
    case ffUnknown: return "raw binary";
    default: return FormatName(format);
    }
}

std::string KeyForFormat(FileFormat format)
{
    for (const DocTemplateInfo& info : kDocTemplates)
        if (*info.defaultExtension && FormatFromKey(info.defaultExtension) == format)
            return info.defaultExtension;
    return "bin";
}

std::optional<FormatQuestion> AskFormatBeforeSave(std::string_view title, FileFormat readFormat,
                                                  std::string_view saveKey)
{
    if (readFormat == ffUnknown)
        return std::nullopt;
    // Every key without a format of its own (All files) writes binary.
    FileFormat saveFormat = FormatFromKey(saveKey);
    if (saveFormat == ffUnknown)
        saveFormat = ffBinary;
    if (saveFormat == readFormat)
        return std::nullopt;
    const std::string read = SaveFormatName(readFormat);
    const std::string save = SaveFormatName(saveFormat);
    FormatQuestion question;
    question.text = std::string(title) + " was read as " + read + ". Save it as " + read + ", or as " + save +
                    " (the file type it was opened with)?";
    question.keepButton = "Keep " + read;
    question.convertButton = "Save as " + save;
    question.keepKey = KeyForFormat(readFormat);
    return question;
}

bool EndsLoad(std::string_view reportText)
{
    return reportText == "Format Error" || reportText == "Read Error" || reportText == "Checksum Error";
}

std::string IncompleteLoadQuestion(std::string_view title, const IncompleteLoad& load)
{
    std::string where = load.error;
    if (const std::string place = ReadErrorPlace(load.line, load.reason); !place.empty())
        where += (load.line ? " at " : ": ") + place;
    return std::string(title) + " was not read completely (" + where + "). Saving replaces it with the " +
           std::to_string(load.bytesRead) +
           (load.bytesRead == 1 ? " byte that was read" : " bytes that were read") + ". Save anyway?";
}
