#include "app/file_association.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string iconName()
{
    std::string name = AssociationMimeType;
    name[name.find('/')] = '-';
    return name;
}

std::string packageText()
{
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        << "  <mime-type type=\"" << AssociationMimeType << "\">\n"
        << "    <sub-class-of type=\"text/plain\"/>\n"
        << "    <comment>Motorola S-record file</comment>\n"
        << "    <icon name=\"" << iconName() << "\"/>\n"
        << "    <glob pattern=\"*" << AssociationExtension << "\"/>\n"
        << "  </mime-type>\n"
        << "</mime-info>\n";
    return out.str();
}

bool sameContents(const fs::path& path, const std::string& contents)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::string current((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return current == contents;
}

// Writes through a temporary file and a rename so a reader never sees half a file.
bool writeFile(const fs::path& path, const std::string& contents)
{
    if (sameContents(path, contents))
        return false;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    const fs::path temp = path.string() + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        if (!out.flush())
            return false;
    }
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace

fs::path AssociationDataHome()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        return fs::path(xdg);
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return fs::path(home) / ".local/share";
    return {};
}

fs::path AssociationMimePackage(const fs::path& dataHome)
{
    return dataHome / "mime/packages" / (std::string(AssociationDocumentId) + ".xml");
}

fs::path AssociationApplicationIcon(const fs::path& dataHome)
{
    return dataHome / "icons/hicolor/48x48/apps" / (std::string(AssociationApplicationId) + ".png");
}

fs::path AssociationDocumentIcon(const fs::path& dataHome)
{
    return dataHome / "icons/hicolor/48x48/mimetypes" / (iconName() + ".png");
}

bool InstalledAssociation()
{
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    const std::string type = std::string("type=\"") + AssociationMimeType + "\"";
    size_t begin = 0;
    while (begin <= list.size()) {
        size_t end = list.find(':', begin);
        if (end == std::string::npos)
            end = list.size();
        const fs::path packages = fs::path(list.substr(begin, end - begin)) / "mime/packages";
        begin = end + 1;
        if (!packages.is_absolute())
            continue;
        std::error_code ec;
        for (fs::directory_iterator it(packages, ec), last; !ec && it != last; it.increment(ec)) {
            if (it->path().extension() != ".xml")
                continue;
            std::ifstream in(it->path(), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (text.find(type) != std::string::npos)
                return true;
        }
    }
    return false;
}

bool RegisterAssociation(const AssociationIcons& icons)
{
    const fs::path home = AssociationDataHome();
    if (home.empty())
        return false;
    if (InstalledAssociation())
        return UnregisterAssociation();
    writeFile(AssociationApplicationIcon(home), icons.application);
    writeFile(AssociationDocumentIcon(home), icons.document);
    return writeFile(AssociationMimePackage(home), packageText());
}

bool UnregisterAssociation()
{
    const fs::path home = AssociationDataHome();
    if (home.empty())
        return false;
    std::error_code ec;
    fs::remove(AssociationApplicationIcon(home), ec);
    fs::remove(AssociationDocumentIcon(home), ec);
    return fs::remove(AssociationMimePackage(home), ec);
}
