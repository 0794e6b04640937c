// Where this platform differs from the one the program was first made for:
// letter case of file names, path bytes, and the program's own location.
#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace zorvak {

// Whether the file system tells "A.PAK" from "a.pak". Where it does, a
// chosen path is kept exactly as chosen; elsewhere it is lower-cased.
bool FileNamesAreCaseSensitive();

// The extension that path, a typed file name without one, takes when ext is
// the one asked for: where names are case-sensitive, ext in lower case when
// that names an existing file, else ext as given.
QString DefaultExtensionFor(const QString& path, const QString& ext);

// The archive path the program keeps for a path the user chose: absolute
// (AbsoluteAtOpen), since the build dialog moves the working directory and
// a relative path would then name another file or none.
QString CandidateArchivePath(const QString& chosen);

// path made absolute against the working directory now, by its text alone:
// links are not followed and letter case is kept. Empty stays empty.
std::filesystem::path AbsoluteAtOpen(const std::filesystem::path& path);

// Conversions between the toolkit's text and the file system's bytes.
std::filesystem::path ToFsPath(const QString& path);
QString FromFsPath(const std::filesystem::path& path);

// Archive names are bytes; shown as UTF-8 when they are, else as Latin-1.
QString DecodeName(std::string_view bytes);

// The running program's own file.
std::filesystem::path ProgramFilePath();

} // namespace zorvak
