#pragma once

#include "model/seams/UrlOpening.h"

// Opens addresses with the desktop's default handler (xdg-open and the like, through Qt).
class DesktopUrlOpener final : public UrlOpening {
public:
    bool openUrl(const QUrl& url) override;
};
