#pragma once

#include <QUrl>

// Opens a web address in the user's browser. Returns whether the desktop accepted the request.
class UrlOpening {
public:
    virtual ~UrlOpening() = default;
    virtual bool openUrl(const QUrl& url) = 0;
};
