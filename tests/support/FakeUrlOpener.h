#pragma once

#include "model/seams/UrlOpening.h"

#include <QList>

class FakeUrlOpener final : public UrlOpening {
public:
    bool openUrl(const QUrl& url) override {
        opened.append(url);
        return true;
    }
    QList<QUrl> opened;
};
