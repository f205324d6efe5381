#pragma once

#include "model/Localization.h"
#include "model/PromptModels.h"
#include "panel/tiles/TileTypography.h"
#include "widgets/ElidedTextBlock.h"

#include <QWidget>

#include <functional>
#include <optional>

class QPushButton;
class QTextEdit;

// A fixed-size dark card with one prompt in full: a caption, the title cut at two lines and the
// whole text in a scrolling, selectable area, optionally with a copy button. It keeps no state
// of its own: copying is the caller's callback and the copied flag the caller's value.
class FullPromptPreviewCard final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize cardSize{420, 320};

    explicit FullPromptPreviewCard(QWidget* parent = nullptr);

    void setPrompt(const PromptItem& prompt);
    void setCopied(bool copied);
    void setShowsCopyAction(bool shows);
    void setOnCopy(std::function<void()> onCopy);
    void setTypography(const TileTypography& typography);
    void setLanguage(std::optional<AppLanguage> language);
    // Off where the card cannot take input (the hover preview): the text is then display-only.
    void setTextInteractive(bool interactive);

    const QString& promptID() const { return m_promptID; }
    bool isCopied() const { return m_copied; }
    QTextEdit* textView() const { return m_text; }
    QPushButton* copyButton() const { return m_copy; }
    const ElidedTextBlock& titleBlock() const { return m_title; }

    QSize sizeHint() const override { return cardSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void relayout();
    void updateCopyButton();
    void applyTextFormat();
    qreal headerHeight() const;

    QString m_promptID;
    QString m_titleText;
    QString m_bodyText;
    bool m_copied = false;
    bool m_showsCopyAction = false;
    TileTypography m_typography;
    std::optional<AppLanguage> m_language;
    std::function<void()> m_onCopy;

    ElidedTextBlock m_title;
    QPushButton* m_copy = nullptr;
    QTextEdit* m_text = nullptr;
};
