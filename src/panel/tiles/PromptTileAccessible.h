#pragma once

#include <QAccessibleWidget>

class PromptTileView;

// The tile as assistive technology sees it: a selectable button whose name is the title with its
// shortcut and pinned state, whose value is the tile's state ("Copied", "Selected", "Retry Copy")
// and whose description is that value followed by the hint; pressing it copies.
class PromptTileAccessible final : public QAccessibleWidget {
public:
    explicit PromptTileAccessible(PromptTileView* tile);

    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    // Registers the factory once; every tile constructor calls it.
    static void install();

private:
    PromptTileView* tile() const;
};
