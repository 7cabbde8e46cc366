#pragma once
// The desktop's link from "*.s3f" files to the document identifier and the
// icons of the application and document identifiers, kept under the user's
// data directory as a shared-mime-info package and icon theme files.
// Every failure is silent: the program starts whatever the disk says.

#include <filesystem>
#include <string>

inline constexpr const char* AssociationApplicationId = "Tovik.Application";
inline constexpr const char* AssociationDocumentId = "Tovik.Document.1";
inline constexpr const char* AssociationExtension = ".s3f";
// The media type standing for the document identifier: the type name the
// installed package gives S-record files, so both never name two types.
inline constexpr const char* AssociationMimeType = "application/x-srecord";

// PNG images of the program's window icon and document icon.
struct AssociationIcons {
    std::string application;
    std::string document;
};

// $XDG_DATA_HOME when it holds an absolute path, else ~/.local/share; empty
// when neither can be found.
std::filesystem::path AssociationDataHome();

// The files the association consists of, below a data directory.
std::filesystem::path AssociationMimePackage(const std::filesystem::path& dataHome);
std::filesystem::path AssociationApplicationIcon(const std::filesystem::path& dataHome);
std::filesystem::path AssociationDocumentIcon(const std::filesystem::path& dataHome);

// True when a package in a system data directory ($XDG_DATA_DIRS, by
// default /usr/local/share and /usr/share) already registers the type.
bool InstalledAssociation();

// Writes the package and both icons, each only when its content differs,
// and only when no installed package registers the type; with one, a
// package this user had is removed. Returns true when the mime package was
// created, changed or removed, so the caller knows the desktop's cache needs
// a rebuild.
bool RegisterAssociation(const AssociationIcons& icons);

// Removes the icons and then the package. Returns true when the package was removed.
bool UnregisterAssociation();
