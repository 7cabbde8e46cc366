#include "dialogs/checksum_form.h"

#include "settings/profile.h"

#include <algorithm>

namespace {
// A hexadecimal field of the form; the problem names it when it is not one.
std::string ReadHex(const std::string& text, const char* what, Address& value)
{
    value = ParseChecksumAddress(text);
    if (value == kNoAddress)
        return std::string(what) + " \"" + text + "\" is not a hexadecimal number";
    return {};
}
} // namespace

ChecksumForm LoadChecksumForm(const std::string& settingsPath)
{
    const OProfile profile(settingsPath);
    const auto text = [&](const char* key, const std::string& def) {
        return profile.GetString(kChecksumSection, key, def);
    };
    const auto flag = [&](const char* key, bool def) { return profile.GetInt(kChecksumSection, key, def) != 0; };
    ChecksumForm form;
    form.algorithm = text("algorithm", form.algorithm);
    form.width = profile.GetInt(kChecksumSection, "width", form.width);
    form.poly = text("poly", form.poly);
    form.init = text("init", form.init);
    form.refin = flag("refin", form.refin);
    form.refout = flag("refout", form.refout);
    form.xorout = text("xorout", form.xorout);
    form.range = profile.GetInt(kChecksumSection, "range", form.range);
    if (form.range < ChecksumForm::RangeSelection || form.range > ChecksumForm::RangeAddresses)
        form.range = ChecksumForm::RangeWindow;
    form.first = text("first", form.first);
    form.last = text("last", form.last);
    // The tick is never remembered: Enter in the next document must not
    // write there. The address is.
    form.writeAt = text("write at", form.writeAt);
    form.bigEndian = flag("big endian", form.bigEndian);
    return form;
}

bool SaveChecksumForm(const std::string& settingsPath, const ChecksumForm& form)
{
    OProfile profile(settingsPath);
    bool ok = true;
    const auto text = [&](const char* key, const std::string& value) {
        ok = profile.WriteString(kChecksumSection, key, value) && ok;
    };
    const auto number = [&](const char* key, int value) {
        ok = profile.WriteInt(kChecksumSection, key, value) && ok;
    };
    text("algorithm", form.algorithm);
    number("width", form.width);
    text("poly", form.poly);
    text("init", form.init);
    number("refin", form.refin);
    number("refout", form.refout);
    text("xorout", form.xorout);
    number("range", form.range);
    text("first", form.first);
    text("last", form.last);
    text("write at", form.writeAt);
    number("big endian", form.bigEndian);
    return ok;
}

std::string EvaluateChecksumForm(const ChecksumForm& form, Address start, Address end, Address selStart,
                                 Address selEnd, ChecksumPlan& plan, std::string& notice)
{
    notice.clear();
    plan = ChecksumPlan();
    if (form.algorithm == kCustomChecksumText) {
        CrcParameters crc;
        crc.width = form.width;
        crc.refin = form.refin;
        crc.refout = form.refout;
        Address poly, init, xorout;
        for (std::string problem : {ReadHex(form.poly, "poly", poly), ReadHex(form.init, "init", init),
                                    ReadHex(form.xorout, "xorout", xorout)})
            if (!problem.empty())
                return problem;
        // Values past 32 bits are cut to 33, which no width holds, so the
        // check below still reports them.
        crc.poly = static_cast<uint32_t>(std::min<Address>(poly, 0x1FFFFFFFF));
        crc.init = static_cast<uint32_t>(std::min<Address>(init, 0x1FFFFFFFF));
        crc.xorout = static_cast<uint32_t>(std::min<Address>(xorout, 0x1FFFFFFFF));
        if (poly > 0xFFFFFFFF || init > 0xFFFFFFFF || xorout > 0xFFFFFFFF)
            return std::string(poly > 0xFFFFFFFF ? "poly" : init > 0xFFFFFFFF ? "init" : "xorout") +
                   " does not fit in " + std::to_string(crc.width) + " bits";
        if (std::string problem = CheckCrcParameters(crc); !problem.empty())
            return problem;
        plan.algorithm = CustomCrc(crc);
    } else if (std::string problem = ParseChecksumAlgorithm(form.algorithm, plan.algorithm); !problem.empty()) {
        return problem;
    }

    switch (form.range) {
    case ChecksumForm::RangeSelection:
        if (selStart > selEnd)
            return "there is no selection";
        plan.first = selStart;
        plan.last = selEnd;
        break;
    case ChecksumForm::RangeAddresses:
        if (std::string problem = ReadHex(form.first, "the first address", plan.first); !problem.empty())
            return problem;
        if (std::string problem = ReadHex(form.last, "the last address", plan.last); !problem.empty())
            return problem;
        break;
    default: break;
    }
    if (form.write) {
        if (std::string problem = ReadHex(form.writeAt, "the address to write at", plan.writeAt); !problem.empty())
            return problem;
        plan.bigEndian = form.bigEndian;
    }
    return ResolveChecksumPlan(plan, start, end, &notice);
}

std::string ChecksumResultText(uint32_t value, int width)
{
    return FormatChecksum(value, width) + " hex   " + std::to_string(value) + " dec";
}

void ShowAlgorithmParameters(ChecksumForm& form)
{
    ChecksumAlgorithm algorithm;
    if (form.algorithm == kCustomChecksumText || !ParseChecksumAlgorithm(form.algorithm, algorithm).empty())
        return;
    form.width = algorithm.width;
    const bool crc = algorithm.kind == ChecksumKind::Crc;
    // Sums have no polynomial or start value to show.
    const auto value = [&](uint32_t v) { return crc ? FormatChecksum(v, algorithm.width) : std::string(); };
    form.poly = value(algorithm.crc.poly);
    form.init = value(algorithm.crc.init);
    form.xorout = value(algorithm.crc.xorout);
    form.refin = crc && algorithm.crc.refin;
    form.refout = crc && algorithm.crc.refout;
}

std::string ChecksumExtentText(Address first, Address last, const AddressSet& data)
{
    const Address count = std::max<Address>(0, last - first + 1);
    Address written = 0;
    if (count > 0)
        data.ForEachIn(first, last, [&written](Address from, Address to) { written += to - from + 1; });
    return std::to_string(count) + (count == 1 ? " byte (" : " bytes (") + std::to_string(written) +
           " written, gaps count as FF)";
}
