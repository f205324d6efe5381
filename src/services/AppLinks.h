#pragma once

#include <QUrl>

// The product's web pages.
namespace AppLinks {

const QUrl& website();
const QUrl& download();
const QUrl& terms();
const QUrl& privacy();
const QUrl& support();

} // namespace AppLinks
