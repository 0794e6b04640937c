#include "framework/ui/Platform.h"

#include "framework/Text.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace zorvak {

namespace {

// The ASCII rule only: other letters keep their case.
QString AsciiLowerText(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const std::string lowered = AsciiLower(std::string_view(bytes.constData(), bytes.size()));
    return QString::fromUtf8(lowered.data(), static_cast<qsizetype>(lowered.size()));
}

} // namespace

bool FileNamesAreCaseSensitive() {
#if defined(_WIN32) || defined(__APPLE__)
    return false;
#else
    return true;
#endif
}

QString DefaultExtensionFor(const QString& path, const QString& ext) {
    if (!FileNamesAreCaseSensitive())
        return ext;
    // Archives made on such systems, ours included, end in ".pak".
    const QString lower = AsciiLowerText(ext);
    if (lower != ext && QFileInfo(path + QLatin1Char('.') + lower).isFile())
        return lower;
    return ext;
}

QString CandidateArchivePath(const QString& chosen) {
    const QString path = FromFsPath(AbsoluteAtOpen(ToFsPath(chosen)));
    if (FileNamesAreCaseSensitive())
        return path;
    return AsciiLowerText(path);
}

std::filesystem::path AbsoluteAtOpen(const std::filesystem::path& path) {
    if (path.empty() || path.is_absolute())
        return path;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec)
        return path;
    // "." levels name nothing: dropped. ".." and links stay, since only the
    // file system knows where they lead.
    std::filesystem::path kept;
    for (const std::filesystem::path& level : absolute)
        if (level != ".")
            kept /= level;
    return kept;
}

std::filesystem::path ToFsPath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::filesystem::path(std::string(bytes.constData(), bytes.size()));
}

QString FromFsPath(const std::filesystem::path& path) {
    const std::string bytes = path.string();
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QString DecodeName(std::string_view bytes) {
    const auto size = static_cast<qsizetype>(bytes.size());
    return IsValidUtf8(bytes) ? QString::fromUtf8(bytes.data(), size)
                              : QString::fromLatin1(bytes.data(), size);
}

std::filesystem::path ProgramFilePath() {
    return ToFsPath(QCoreApplication::applicationFilePath());
}

} // namespace zorvak
