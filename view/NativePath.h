#pragma once
// File names between the window's QString and the core's std::string.
//
// The core takes a path as the bytes the system names the file by. On POSIX nothing
// makes those bytes UTF-8, and Qt 6 reads every name as UTF-8, putting U+FFFD in place of
// a byte that is not (QFile::encodeName is the same UTF-8 there, so it cannot bring the
// byte back): a Latin-1 name would come back as another name, and the file would not
// open. So a byte that starts no valid UTF-8 sequence travels in the QString as the lone
// surrogate U+DC00 + byte, which no valid UTF-8 decodes to, and CorePath gives it back as
// that byte: a path the core handed out returns to it unchanged. A text only shown
// (a title, a message) is decoded with QString::fromStdString instead, with U+FFFD.
//
// On Windows the core's paths are UTF-8 of the system's UTF-16 names, so UTF-8 both ways
// is exact (QFile::encodeName would give the ANSI code page there, which the core does
// not take).

#include <QFileInfo>
#include <QString>
#include <filesystem>
#include <string>
#include <system_error>

#include "document/Utf8Text.h"
#include "platform/Utf8Path.h"

namespace zel::gui {

// A path the window holds, as the core takes it.
inline std::string CorePath(const QString& path) {
#ifdef _WIN32
    return path.toStdString();
#else
    std::string bytes;
    qsizetype runStart = 0;
    const auto endRun = [&](qsizetype end) { bytes += QStringView(path).sliced(runStart, end - runStart).toUtf8().toStdString(); };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < path.size() && path[i + 1].isLowSurrogate()) {
            ++i;  // a character beyond U+FFFF, a pair: no byte of its own
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            endRun(i);
            bytes += static_cast<char>(unit - 0xDC00);
            runStart = i + 1;
        }
    }
    endRun(path.size());
    return bytes;
#endif
}

// A path from the core as the window holds it: CorePath gives back the same bytes.
inline QString PathText(const std::string& path) {
#ifdef _WIN32
    return QString::fromStdString(path);
#else
    QString text;
    size_t runStart = 0;
    const auto endRun = [&](size_t end) { text += QString::fromUtf8(path.data() + runStart, static_cast<qsizetype>(end - runStart)); };
    for (size_t at = 0; at < path.size();) {
        const size_t length = Utf8SequenceLength(path, at);
        if (length > 0) {
            at += length;
            continue;
        }
        endRun(at);
        text += QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(path[at])));
        runStart = ++at;
    }
    endRun(path.size());
    return text;
#endif
}

// The canonical form of a core path (links resolved, absolute), as the window compares
// the files it has open; empty when the file cannot be found. On POSIX it is asked of the
// system with the path's own bytes, since QFileInfo could not find a name Qt cannot spell.
inline QString CanonicalPathOf(const std::string& path) {
#ifdef _WIN32
    return QFileInfo(QString::fromStdString(path)).canonicalFilePath();
#else
    std::error_code failure;
    const std::filesystem::path canonical = std::filesystem::canonical(platform::PathFromUtf8(path), failure);
    return failure ? QString() : PathText(platform::Utf8OfPath(canonical));
#endif
}

}  // namespace zel::gui
