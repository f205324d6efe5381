#pragma once

#include <QString>

// The one slug rule for ids made from user text: workspace ids and their file names, pack and
// imported prompt ids. Lower-cased; letters, marks, numbers, "-" and "_" are kept, each white-space
// character becomes "-", everything else is dropped, and "-" is trimmed from both ends (runs of
// "-" inside stay). Empty when nothing is left: every caller has a fallback of its own.
namespace Slug {

QString fromText(const QString& text);

} // namespace Slug
