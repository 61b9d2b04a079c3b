// The syntax of paths, and the one place where it differs between the systems: on Windows '\'
// separates as well as '/', and a drive's colon ends a folder part ("C:a.trk" is a.trk in drive
// C's working folder). Paths are the system's bytes on Linux and UTF-8 on Windows.
#pragma once

#include <filesystem>
#include <string>

namespace quellmark {

// The separator the system writes between a folder and a name.
char PreferredSeparator();

// The part of Path after its folder part.
std::string FileNameOf(const std::string& Path);

// The folder part of Path with its closing separator; "" for a bare name.
std::string FolderPartOf(const std::string& Path);

// The folder part of Path as a name of its own, for the system and for messages: without its
// closing separator unless that is all of a root ("/", "C:\"); "." for a bare name.
std::string FolderNameOf(const std::string& Path);

// Name in Folder: one separator between them, none added where Folder is empty or already
// ends in one.
std::string JoinPath(const std::string& Folder, const std::string& Name);

// Whether Path names the same file whatever the working folder.
bool IsFullPath(const std::string& Path);

// The local path a file:// address points to (file:///p or file://localhost/p), its escapes
// undone; "" for anything else.
std::string LocalPathOfFileUrl(const std::string& Address);

// Path for the standard library's filesystem calls.
std::filesystem::path FilesystemPathOf(const std::string& Path);

// Path as a full path, from the working folder where it is relative; as it is where it is full
// already or names nothing.
std::string FullPathOf(const std::string& Path);

}  // namespace quellmark
