#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sys/stat.h>

// What tests look at on disk: a file's permission bits, its bytes and a folder's entries.

// The permission bits (07777) of the file, following links; 0 when it cannot be read.
inline mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// The whole content, or nothing when the file cannot be opened.
inline QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every entry of the folder, hidden and special ones included, sorted.
inline QStringList entriesOf(const QString& directory) {
    QStringList entries =
        QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    entries.sort();
    return entries;
}
