#pragma once

// On Linux, Qt names a combo box by its current text and leaves its label to a relation, so a
// screen reader that reads names hears "System" where the row says "Language". Once installed, a
// (not editable) combo box that was given an accessible name is named by it; its current text
// stays its value.
namespace NamedComboBoxAccessible {

// Registers the factory once; safe to call from every view that builds such a combo box.
void install();

} // namespace NamedComboBoxAccessible
