#pragma once

#include <QString>

// Shows a file in the desktop's file manager.
class FileRevealer {
public:
    virtual ~FileRevealer() = default;
    virtual void reveal(const QString& path) = 0;
};

// The freedesktop FileManager1 ShowItems call; without a file manager that answers it, the
// folder is opened with the desktop's default handler.
class DesktopFileRevealer final : public FileRevealer {
public:
    void reveal(const QString& path) override;
};
