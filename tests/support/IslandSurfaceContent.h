#pragma once

#include "widgets/BrandButton.h"
#include "widgets/BrandLineEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

// Stand-ins for what the panel puts on the island: a title, the search field and the rows of
// buttons above, the bottom toolbar below. Header-only: only the tests that link the UI use it.
namespace IslandSurfaceContent {

inline QWidget* makeContent() {
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("panelContent"));
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(18, 18, 18, 8);
    layout->setSpacing(12);
    auto* title = new QLabel(QStringLiteral("Orris Hollows"));
    title->setObjectName(QStringLiteral("panelTitle"));
    layout->addWidget(title);
    auto* search = new BrandLineEdit;
    search->setObjectName(QStringLiteral("searchField"));
    search->setPlaceholderText(QStringLiteral("Search prompts"));
    layout->addWidget(search);
    auto* actions = new QHBoxLayout;
    auto* add = new BrandButton(ButtonLook::Kind::panelAction, QStringLiteral("New Prompt"));
    add->setObjectName(QStringLiteral("newPromptAction"));
    add->setLabel(BrandButton::Label::panelAction, QStringLiteral("plus"), true);
    auto* manage = new BrandButton(ButtonLook::Kind::panelAction, QStringLiteral("Manage Workspaces and Bindings"));
    manage->setObjectName(QStringLiteral("manageAction"));
    manage->setLabel(BrandButton::Label::panelAction, QStringLiteral("folder"), false);
    actions->addWidget(add);
    actions->addWidget(manage);
    layout->addLayout(actions);
    auto* buttons = new QHBoxLayout;
    auto* primary = new BrandButton(ButtonLook::Kind::toolbar, QStringLiteral("Copy"));
    primary->setObjectName(QStringLiteral("copyToolbarButton"));
    primary->setEmphasis(true);
    auto* secondary = new BrandButton(ButtonLook::Kind::toolbar, QStringLiteral("Edit"));
    secondary->setObjectName(QStringLiteral("editToolbarButton"));
    buttons->addWidget(primary);
    buttons->addWidget(secondary);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    return content;
}

inline QWidget* makeToolbar() {
    auto* toolbar = new QWidget;
    toolbar->setObjectName(QStringLiteral("panelToolbar"));
    auto* layout = new QHBoxLayout(toolbar);
    layout->setContentsMargins(14, 8, 14, 14);
    layout->setSpacing(10);
    auto* settings = new BrandButton(ButtonLook::Kind::bottomToolbar, QStringLiteral("Settings"));
    settings->setObjectName(QStringLiteral("settingsToolbarButton"));
    settings->setLabel(BrandButton::Label::bottomToolbar, QStringLiteral("gearshape"), false);
    auto* add = new BrandButton(ButtonLook::Kind::bottomToolbar, QStringLiteral("New Prompt"));
    add->setObjectName(QStringLiteral("addToolbarButton"));
    add->setLabel(BrandButton::Label::bottomToolbar, QStringLiteral("plus"), true);
    layout->addWidget(settings);
    layout->addWidget(add);
    return toolbar;
}

} // namespace IslandSurfaceContent
